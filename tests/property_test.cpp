// Seeded random calendars, and the fuzzer's corpus, split by the engine and
// compared with the model.

#include "tests/support/split_model.h"
#include "tests/support/standalone_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <utility>

namespace orvelin::testing {
namespace {

class CalendarGenerator {
public:
    // tidy: markers are rarely broken, so that most calendars have a
    // structure the standalone split can read.
    explicit CalendarGenerator(unsigned seed, bool tidy = false) : random_(seed), variants_(~seed), tidy_(tidy) {}

    std::string Calendar()
    {
        std::string text = Chance(10) ? "\xEF\xBB\xBF" : "";
        std::string header = "BEGIN:VCALENDAR\r\n";
        bool open = Chance(80);
        if (open)
            text += header = "BEGIN:VCALENDAR" + LineEnd() + "VERSION:1.0" + LineEnd();
        const int pieces = Between(0, 12);
        for (int i = 0; i < pieces; ++i) {
            const int kind = Between(0, 11);
            if (kind < 6)
                text += Event();
            else if (kind < 8)
                text += "BEGIN:VTODO" + LineEnd() + Property() + "END:VTODO" + LineEnd();
            else if (kind < 9)
                text += Bytes();
            else if (kind < 10)
                text += TimeZone();
            else if (tidy_ && (kind == 10 || Chance(80)))  // another calendar object, as phones export them
                text += (std::exchange(open, true) ? "END:VCALENDAR" + LineEnd() : "") +
                    (Chance(80) ? header : "BEGIN:VCALENDAR" + LineEnd()) + (Chance(50) ? TimeZone() : "");
            else if (!tidy_ || Chance(20))
                text += Marker(Between(0, 1) ? "END:VCALENDAR" : "BEGIN:VCALENDAR") + LineEnd();
        }
        if (Chance(70))
            text += "END:VCALENDAR" + LineEnd();
        return text;
    }

private:
    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool Chance(int percent) { return Between(1, 100) <= percent; }
    // One of count ways to write a line, drawn apart: every calendar keeps its shape.
    int Variant(int count) { return std::uniform_int_distribution<int>(0, count - 1)(variants_); }

    std::string LineEnd()
    {
        static const char* const kEnds[] = {"\r\n", "\r\n", "\n", "\r", ""};
        return kEnds[Between(0, tidy_ ? 3 : 4)];
    }

    // The marker, mostly exact, sometimes in another letter case or broken.
    std::string Marker(std::string marker)
    {
        const int variant = tidy_ && Chance(95) ? 0 : Between(0, 9);
        if (variant == 6)
            marker += Chance(50) ? ":" : " : ";
        else if (variant == 7)
            for (char& c : marker)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        else if (variant == 8)
            marker[static_cast<std::size_t>(Between(0, static_cast<int>(marker.size()) - 1))] ^= 0x20;
        else if (variant == 9)
            marker.erase(static_cast<std::size_t>(Between(0, static_cast<int>(marker.size()) - 1)), 1);
        return marker;
    }

    std::string TimeZone()
    {
        return "BEGIN:VTIMEZONE" + LineEnd() + "TZID:" + Zone() + LineEnd() + "END:VTIMEZONE" + LineEnd();
    }

    std::string Zone()
    {
        return std::array{"Europe/Berlin", "America/New_York", "/global/zone",
                          "Amsterdam, Berlin, Rome"}[Between(0, 3)];
    }

    // A property; some name a time zone or share a UID, some are folded, and
    // some quoted-printable values run on over a line that looks like a
    // marker, or make a UID of two lines. Parameters are read as written: a
    // space makes " TZID" no TZID, QUOTED-PRINTABLE counts anywhere, and the
    // line after a soft break before the colon joins no value.
    std::string Property()
    {
        switch (Between(0, 6)) {
        case 0: return "UID:" + std::to_string(Between(1, 4)) + LineEnd();
        case 1: {
            const std::string zone = Zone();
            const std::string starts[] = {"DTSTART;", "DTSTART; ", "X-A;QUOTED-PRINTABLE=\r\n;"};
            return starts[std::max(0, Variant(7) - 4)] + "TZID=" + (Chance(50) ? zone : '"' + zone + '"') + ":1" +
                LineEnd();
        }
        case 2: return "DTEND;TZ" + LineEnd() + " ID=" + Zone() + ":1" + LineEnd();
        case 3: return "NOTE;ENCODING=QUOTED-PRINTABLE:a=" + LineEnd() + "END:VEVENT" + LineEnd();
        case 4: {
            const std::string parameters = Variant(5) > 0 ? ";QUOTED-PRINTABLE" : "; ENCODING=QUOTED-PRINTABLE";
            return "UID" + parameters + ":" + std::to_string(Between(1, 2)) + "=" + LineEnd() + "x" + LineEnd();
        }
        default: return "SUMMARY:" + std::to_string(Between(0, 99999)) + (Chance(30) ? Bytes() : "") + LineEnd();
        }
    }

    std::string Event()
    {
        std::string event = Marker("BEGIN:VEVENT") + LineEnd();
        for (int n = Between(0, 3); n > 0; --n)
            event += Property();
        if (Chance(tidy_ ? 99 : 90))
            event += Marker("END:VEVENT") + LineEnd();
        return event;
    }

    // 8-bit and NUL bytes.
    std::string Bytes()
    {
        std::string bytes;
        for (int n = Between(1, 8); n > 0; --n)
            bytes += static_cast<char>(Chance(30) ? 0 : Between(0x80, 0xFF));
        return bytes;
    }

    std::mt19937 random_;
    std::mt19937 variants_;
    bool tidy_;
};

TEST(SplitProperty, RandomCalendarsSplitAsTheModelSays)
{
    std::map<ModelSplit::Outcome, int> outcomes;
    for (unsigned seed = 1; seed <= 1000; ++seed) {
        const std::string calendar = CalendarGenerator(seed).Calendar();
        ASSERT_EQ(CompareEngineWithModel(calendar), "") << "seed " << seed;
        ++outcomes[SplitByModel(calendar).outcome];
    }
    // The calendars reach every outcome, not only the common one.
    for (const auto outcome : {ModelSplit::Outcome::Refused, ModelSplit::Outcome::InvalidStart,
                               ModelSplit::Outcome::NoEndMarker, ModelSplit::Outcome::Files})
        EXPECT_GE(outcomes[outcome], 20) << static_cast<int>(outcome);
}

TEST(SplitProperty, RandomCalendarsSplitStandaloneAsTheModelSays)
{
    int faults = 0;
    int split = 0;
    std::size_t mixed = 0;
    for (unsigned seed = 1; seed <= 1000; ++seed) {
        const std::string calendar = CalendarGenerator(seed, seed % 4 != 0).Calendar();
        const FileLimits limits{seed % 5 + 1, seed % 3 == 0 ? 0 : seed % 500 + 100};
        ASSERT_EQ(CompareStandaloneWithModel(calendar), "") << "seed " << seed;
        ASSERT_EQ(CompareStandaloneWithModel(calendar, limits), "") << "seed " << seed << ", packed";
        const ModelStandalone model = StandaloneByModel(calendar);
        faults += model.faultLine ? 1 : 0;
        split += model.files.size() > 1 ? 1 : 0;
        mixed += StandaloneByModel(calendar, limits).mixed;
    }
    EXPECT_GE(faults, 100);
    EXPECT_GE(split, 100);
    EXPECT_GE(mixed, 20u);
}

TEST(SplitProperty, TheFuzzCorpusSplitsAsTheModelSays)
{
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ORVELIN_FUZZ_CORPUS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        EXPECT_EQ(CompareEngineWithModel(bytes.str()), "") << entry.path();
        EXPECT_EQ(CompareStandaloneWithModel(bytes.str()), "") << entry.path();
        EXPECT_EQ(CompareStandaloneWithModel(bytes.str(), {4, 400}), "") << entry.path();
        ++replayed;
    }
    EXPECT_GT(replayed, 10);
}

}  // namespace
}  // namespace orvelin::testing
