#include "tests/support/split_model.h"

#include "tests/support/memory_run.h"

#include <gtest/gtest-printers.h>

#include <algorithm>
#include <cctype>

namespace orvelin::testing {
namespace {

constexpr std::string_view kStart = "BEGIN:VEVENT";
constexpr std::string_view kEnd = "END:VEVENT";
constexpr std::size_t kMaxFiles = 32767;

bool ContainsIgnoringCase(std::string_view text, std::string_view sought)
{
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    return std::search(text.begin(), text.end(), sought.begin(), sought.end(),
                       [&](char a, char b) { return upper(a) == upper(b); }) != text.end();
}

std::string Describe(const std::vector<HostCall>& calls)
{
    std::string text;
    for (const HostCall& call : calls)
        text += ::testing::PrintToString(call) + "\n";
    return text;
}

}  // namespace

ModelSplit SplitByModel(std::string_view input)
{
    ModelSplit model;
    if (!ContainsIgnoringCase(input, kStart))
        return model;
    std::size_t position = input.find(kStart);
    if (position == std::string_view::npos) {
        model.outcome = ModelSplit::Outcome::InvalidStart;
        return model;
    }
    for (std::size_t end; (end = input.find(kEnd, position)) != std::string_view::npos; position = end + kEnd.size()) {
        if (model.chunks.size() == kMaxFiles) {
            model.overflow = true;
            break;
        }
        model.chunks.push_back(input.substr(position, end + kEnd.size() - position));
    }
    model.outcome = model.chunks.empty() ? ModelSplit::Outcome::NoEndMarker : ModelSplit::Outcome::Files;
    return model;
}

std::string CompareEngineWithModel(const std::string& input)
{
    const ModelSplit model = SplitByModel(input);
    MemoryRun run;
    const bool ended = run.Run(input);

    std::vector<HostCall> expected;
    bool expectEnd = true;
    switch (model.outcome) {
    case ModelSplit::Outcome::Refused:
        expected = {InfoBox("Not a valid VCalendar (.vcs) file format")};
        expectEnd = false;
        break;
    case ModelSplit::Outcome::InvalidStart:
        expected = {ErrorBox("Find Error 5:  Invalid procedure call or argument")};
        expectEnd = false;
        break;
    case ModelSplit::Outcome::NoEndMarker:
        expected = {
            InfoBox("No entries have been generated since the selected .vcs file does not contain an end "
                    "event.")};
        break;
    case ModelSplit::Outcome::Files:
        if (model.overflow)
            expected.push_back(ErrorBox("Find Error 6:  Overflow"));
        expected.push_back(InfoBox(std::to_string(model.chunks.size()) + " Entries have been generated"));
        break;
    }
    if (run.host.messages() != expected)
        return "messages differ; engine:\n" + Describe(run.host.messages()) + "model:\n" + Describe(expected);
    if (ended != expectEnd)
        return ended ? "the engine ended the program" : "the engine did not end the program";
    if (run.OutputFileCount() != model.chunks.size())
        return "the engine wrote " + std::to_string(run.OutputFileCount()) + " files, the model " +
            std::to_string(model.chunks.size());
    std::string laidEndToEnd;
    for (std::size_t i = 0; i < model.chunks.size(); ++i) {
        if (run.File(static_cast<int>(i) + 1) != EventFile(std::string(model.chunks[i])))
            return "file " + std::to_string(i + 1) + " differs";
        laidEndToEnd += model.chunks[i];
    }
    // The chunks cover the input from the first exact start marker through the
    // last end marker, with nothing left out or repeated.
    if (!model.chunks.empty() && !model.overflow) {
        const std::size_t first = input.find(kStart);
        const std::size_t last = input.rfind(kEnd) + kEnd.size();
        if (laidEndToEnd != std::string_view(input).substr(first, last - first))
            return "the chunks do not cover the input";
    }
    return {};
}

}  // namespace orvelin::testing
