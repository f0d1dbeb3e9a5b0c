// libFuzzer target: the engine on arbitrary bytes, in memory, split both
// ways and checked against the models of each.

#include "tests/support/split_model.h"
#include "tests/support/standalone_model.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (const std::string& difference :
         {orvelin::testing::CompareEngineWithModel(input), orvelin::testing::CompareStandaloneWithModel(input),
          orvelin::testing::CompareStandaloneWithModel(input, {4, 400})}) {
        if (!difference.empty()) {
            std::fprintf(stderr, "engine and model differ: %s\n", difference.c_str());
            std::abort();
        }
    }
    return 0;
}
