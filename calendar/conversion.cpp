#include "calendar/conversion.h"

#include "calendar/content_line.h"
#include "calendar/entry_conversion.h"
#include "calendar/mapping.h"
#include "engine/letter_case.h"
#include "engine/version.h"

#include <deque>

namespace orvelin::calendar {
namespace {

constexpr std::string_view kProductId = "-//Orvelin//Orvelin " ORVELIN_VERSION "//EN";

bool IsVersion1(std::string_view version)
{
    version = Trimmed(version);
    return version == "1" || version.starts_with("1.");
}

// The line end the line ends with, or CR LF where it has none.
std::string_view LineEndOf(std::string_view line)
{
    if (line.ends_with("\r\n"))
        return "\r\n";
    if (line.ends_with('\n') || line.ends_with('\r'))
        return line.substr(line.size() - 1);
    return "\r\n";
}

// The lines of a calendar object's header, read again once its version is known.
class HeaderNeeds final : public LineNeeds {
public:
    std::string_view Enclosing() const override { return "VCALENDAR"; }
    std::size_t ValueWanted(std::string_view) const override { return kWhole; }
};

class Converter final : public LineNeeds {
public:
    Converter(std::string_view input, const ConversionContext& context)
        : input_(input), context_(context), writer_(result_.text), reader_(input, Unfolding::KeepWhiteSpace),
          values_(context.transcoder)
    {
    }

    Converted Run()
    {
        result_.text.reserve(input_.size() + input_.size() / 4);
        result_.text.append(reader_.byteOrderMark());
        ContentLine line;
        while (reader_.Next(line, *this))
            Take(line);
        if (!open_.empty())
            CloseComponent(input_.size());
        if (state_ != State::Outside)
            EndObject(nullptr);
        return std::move(result_);
    }

    std::string_view Enclosing() const override
    {
        if (!open_.empty())
            return open_.back();
        return state_ == State::Outside ? std::string_view() : std::string_view("VCALENDAR");
    }

    // Of what is copied, only the lines that tell the structure are read whole.
    std::size_t ValueWanted(std::string_view name) const override
    {
        if (state_ == State::Converting)
            return kWhole;
        return EqualIgnoringCase(name, "BEGIN") || EqualIgnoringCase(name, "END") || EqualIgnoringCase(name, "UID") ||
                EqualIgnoringCase(name, "VERSION")
            ? kWhole
            : 0;
    }

private:
    // Where the reading is: outside any calendar object, in the header of
    // one (before its first component, whose version is not known yet), or
    // in one that is copied or converted.
    enum class State : std::uint8_t { Outside, Header, Copying, Converting };

    void Take(const ContentLine& line)
    {
        const bool begin = EqualIgnoringCase(line.name, "BEGIN");
        const bool end = !begin && EqualIgnoringCase(line.name, "END");
        const std::string_view name = begin || end ? ComponentName(line.value) : std::string_view();
        const bool calendar = EqualIgnoringCase(name, "VCALENDAR");
        if (state_ == State::Header && !begin && !end) {
            if (EqualIgnoringCase(line.name, "VERSION"))
                version_ = Trimmed(line.value);
            return;
        }
        if (state_ == State::Header)
            StartBody(line.begin);
        if (!open_.empty()) {
            TakeComponentLine(line, begin, end, name);
        } else if (begin && calendar) {
            if (state_ != State::Outside)
                EndObject(nullptr);  // a calendar object left open ends where the next begins
            state_ = State::Header;
            objectBegin_ = line.begin;
            objectLine_ = line.number;
            version_.clear();
        } else if (end && calendar && state_ != State::Outside) {
            EndObject(&line);
        } else if (begin) {
            OpenComponent(line, name);
        } else if (state_ != State::Converting) {
            Copy(line.begin, line.end);
        } else if (end) {
            Mapping mapping = CalendarMapping();
            mapping.Note(line.number, "END:" + std::string(name) + " closes nothing: left out");
        } else if (!line.blank) {
            TakeHeaderProperty(ReadProperty(line, 0));
        }
    }

    // The header is over: the calendar object's version decides what becomes of it.
    void StartBody(std::size_t headerEnd)
    {
        const std::string_view header = input_.substr(objectBegin_, headerEnd - objectBegin_);
        if (!IsVersion1(version_)) {
            state_ = State::Copying;
            Copy(objectBegin_, headerEnd);
            return;
        }
        state_ = State::Converting;
        writer_.Line("BEGIN", "VCALENDAR");
        writer_.Line("VERSION", "2.0");
        writer_.Line("PRODID", kProductId);
        zone_.reset();
        zoneWritten_ = false;
        // The zone first: DAYLIGHT lines may come before TZ.
        ForEachHeaderProperty(header, [this](const VcalProperty& property) {
            if (!zone_ && EqualIgnoringCase(property.name, "TZ") && (zone_ = BuiltZone::FromTz(property.value)))
                zoneLine_ = property.line;
        });
        ForEachHeaderProperty(header, [this](const VcalProperty& property) { TakeHeaderProperty(property); });
        if (zone_)
            zone_->Write(writer_);
        zoneWritten_ = true;
    }

    template <typename Use>
    void ForEachHeaderProperty(std::string_view header, Use&& use)
    {
        const HeaderNeeds needs;
        ContentLineReader lines(header, Unfolding::KeepWhiteSpace, objectLine_);
        ContentLine line;
        lines.Next(line, needs);  // BEGIN:VCALENDAR
        while (lines.Next(line, needs)) {
            keptUsed_ = 0;
            if (!line.blank)
                use(ReadProperty(line, 0));
        }
    }

    Mapping CalendarMapping()
    {
        return Mapping{writer_,      zone_ ? &*zone_ : nullptr, result_.notes,     "VCALENDAR", std::nullopt,
                       std::nullopt, std::string_view(),        std::string_view()};
    }

    // A property of a vCalendar 1.0 calendar object.
    void TakeHeaderProperty(const VcalProperty& property)
    {
        Mapping mapping = CalendarMapping();
        const bool productId = EqualIgnoringCase(property.name, "PRODID");
        if (EqualIgnoringCase(property.name, "VERSION") || (productId && property.value.empty()))
            return;
        if (productId) {
            // Orvelin writes the calendar now; who wrote it before stays known.
            writer_.Start("X-VCAL-PRODID");
            AppendAsWritten(writer_.Value(), property.value);
            writer_.Finish();
        } else if (EqualIgnoringCase(property.name, "TZ")) {
            if (!zone_ || property.line != zoneLine_)
                KeepAsVcal(mapping, property,
                           zone_ ? "a calendar has one TZ" : "not a UTC offset: times stay as written");
        } else if (EqualIgnoringCase(property.name, "DAYLIGHT")) {
            if (!zone_ && !EqualIgnoringCase(Trimmed(property.value), "FALSE"))
                KeepAsVcal(mapping, property, "no TZ offset to go with it");
            else if (zone_ && zoneWritten_)
                KeepAsVcal(mapping, property, "it comes after the entries");
            else if (zone_ && !zone_->AddDaylight(property.value))
                KeepAsVcal(mapping, property, "not a DAYLIGHT value that can be read");
        } else {
            WriteProperty(mapping, property);
        }
    }

    void OpenComponent(const ContentLine& line, std::string_view name)
    {
        open_.assign(1, std::string(name));
        componentName_ = UpperAscii(name);
        componentBegin_ = line.begin;
        componentBeginEnd_ = line.end;
        hasUid_ = false;
        entry_.name = componentName_;
        entry_.line = line.number;
        entry_.properties.clear();
        keptUsed_ = 0;
    }

    void TakeComponentLine(const ContentLine& line, bool begin, bool end, std::string_view name)
    {
        const std::size_t depth = open_.size() - 1 + (begin ? 1 : 0);
        if (end) {
            open_.pop_back();
            if (open_.empty()) {
                CloseComponent(line.end);
                return;
            }
        }
        if (begin)
            open_.emplace_back(name);
        hasUid_ |= depth == 0 && EqualIgnoringCase(line.name, "UID");
        if (state_ == State::Converting && !line.blank)
            entry_.properties.push_back(ReadProperty(line, static_cast<std::uint32_t>(depth)));
    }

    // A component at the calendar object's level (or outside any) is over:
    // converted, or copied with a UID where it lacks one.
    void CloseComponent(std::size_t end)
    {
        open_.clear();
        const bool timeZone = componentName_ == "VTIMEZONE";
        const std::string_view bytes = input_.substr(componentBegin_, end - componentBegin_);
        if (state_ == State::Converting && !timeZone) {
            entry_.bytes = bytes;
            ConvertEntry(entry_, {writer_, zone_ ? &*zone_ : nullptr, result_.notes, uids_, context_.inputModified});
            return;
        }
        Copy(componentBegin_, componentBeginEnd_);
        if (!hasUid_ && !timeZone) {
            result_.text += "UID:";
            result_.text += uids_.For(bytes);
            result_.text += LineEndOf(input_.substr(componentBegin_, componentBeginEnd_ - componentBegin_));
        }
        Copy(componentBeginEnd_, end);
    }

    // The calendar object ends, at its END line or where none is.
    void EndObject(const ContentLine* line)
    {
        if (state_ == State::Header)
            StartBody(line ? line->begin : input_.size());
        if (state_ == State::Converting)
            writer_.Line("END", "VCALENDAR");
        else if (line)
            Copy(line->begin, line->end);
        state_ = State::Outside;
        zone_.reset();
    }

    // A line of a vCalendar 1.0 calendar, its value read as UTF-8, kept until the next entry.
    VcalProperty ReadProperty(const ContentLine& line, std::uint32_t depth)
    {
        VcalProperty property{line.number, line.name, line.parameters, line.value, TextReading::AsCharset, depth};
        if (line.joined) {
            std::string& kept = Kept();
            kept.append(line.name).append(line.parameters).append(line.value);
            const std::string_view all = kept;
            property.name = all.substr(0, line.name.size());
            property.parameters = all.substr(line.name.size(), line.parameters.size());
            property.value = all.substr(line.name.size() + line.parameters.size());
        }
        if (!line.valued) {
            property.name = {};  // not a content line
        } else if (line.quotedPrintable || !IsAscii(property.value)) {
            std::string& kept = Kept();
            property.reading = values_.AppendUtf8(kept, property.value, line.quotedPrintable, property.parameters);
            property.value = kept;
        }
        return property;
    }

    // A string to keep text in until the next entry begins.
    std::string& Kept()
    {
        if (keptUsed_ == kept_.size())
            kept_.emplace_back();
        std::string& kept = kept_[keptUsed_++];
        kept.clear();
        return kept;
    }

    void Copy(std::size_t begin, std::size_t end) { result_.text.append(input_.substr(begin, end - begin)); }

    std::string_view input_;
    const ConversionContext& context_;
    Converted result_;
    ICalendarWriter writer_;
    ContentLineReader reader_;
    ValueReader values_;
    StableUids uids_;
    State state_ = State::Outside;
    // The calendar object being read.
    std::size_t objectBegin_ = 0;
    std::size_t objectLine_ = 0;
    std::string version_;
    std::optional<BuiltZone> zone_;
    std::size_t zoneLine_ = 0;  // the TZ line it was built from
    bool zoneWritten_ = false;
    // The component being read at the calendar object's level (or outside
    // any), and the components open in it, outermost first.
    std::vector<std::string> open_;
    std::string componentName_;  // in upper case
    std::size_t componentBegin_ = 0;
    std::size_t componentBeginEnd_ = 0;  // where its BEGIN line ends
    bool hasUid_ = false;
    VcalEntry entry_;
    // Texts the entry's properties point into; each string is used again for the next entry.
    std::deque<std::string> kept_;
    std::size_t keptUsed_ = 0;
};

}  // namespace

Converted ToICalendar(std::string_view input, const ConversionContext& context)
{
    return Converter(input, context).Run();
}

}  // namespace orvelin::calendar
