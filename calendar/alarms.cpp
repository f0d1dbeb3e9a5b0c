#include "calendar/alarms.h"

#include "calendar/content_line.h"
#include "calendar/time_mapping.h"
#include "engine/letter_case.h"

#include <array>
#include <charconv>

namespace orvelin::calendar {
namespace {

enum class Kind : std::uint8_t { Audio, Display, Email, Procedure };

struct AlarmName {
    std::string_view name;
    Kind kind;
    std::string_view action;
};

constexpr std::array<AlarmName, 4> kAlarms{{{"AALARM", Kind::Audio, "AUDIO"},
                                            {"DALARM", Kind::Display, "DISPLAY"},
                                            {"MALARM", Kind::Email, "EMAIL"},
                                            {"PALARM", Kind::Procedure, "PROCEDURE"}}};

const AlarmName* AlarmNamed(std::string_view name)
{
    for (const AlarmName& alarm : kAlarms) {
        if (EqualIgnoringCase(name, alarm.name))
            return &alarm;
    }
    return nullptr;
}

// An alarm as read: its fields (run time; snooze time; repeat count; then
// its content: the sound, the text, the address and the note, the
// procedure), and what cannot be expressed of it.
struct Alarm {
    const AlarmName* name = nullptr;
    std::array<std::string_view, 5> fields{};
    std::optional<DateTime> run;
    std::string_view address;
    int repeat = 0;
    std::optional<std::int64_t> snooze;
    std::string_view lost;  // why iCalendar 2.0 cannot take it whole; "" where it can

    std::string_view content() const { return Trimmed(fields[3]); }
    std::string_view note() const { return fields[4]; }
    bool written() const { return run && (name->kind != Kind::Email || !address.empty()); }
};

int RepeatCount(std::string_view text)
{
    int count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    return error == std::errc() && end == text.data() + text.size() ? count : 0;
}

Alarm ReadAlarm(const VcalProperty& property)
{
    Alarm alarm;
    alarm.name = AlarmNamed(property.name);
    FieldReader reader(property.value);
    for (std::size_t at = 0; at < alarm.fields.size() && reader.Next(alarm.fields[at]); ++at)
        ;
    alarm.run = ReadTimeValue(alarm.fields[0]);
    alarm.address = alarm.content();
    if (alarm.address.size() > 7 && EqualIgnoringCase(alarm.address.substr(0, 7), "MAILTO:"))
        alarm.address.remove_prefix(7);
    alarm.repeat = RepeatCount(Trimmed(alarm.fields[2]));
    alarm.snooze = ReadDuration(Trimmed(alarm.fields[1]));
    if (alarm.snooze && *alarm.snooze <= 0)
        alarm.snooze.reset();
    if (Trimmed(alarm.fields[0]).empty())
        alarm.lost = "no run time";
    else if (!alarm.run)
        alarm.lost = "its run time is not a date and time";
    else if (alarm.name->kind == Kind::Email && alarm.address.empty())
        alarm.lost = "no e-mail address";
    else if (alarm.repeat > 0 && !alarm.snooze)
        alarm.lost = "iCalendar 2.0 repeats an alarm only after a snooze time";
    return alarm;
}

void WriteTrigger(Mapping& mapping, const DateTime& run)
{
    ICalendarWriter& writer = mapping.writer;
    // A run time that floats floats with the start (for a to-do without one,
    // with its due time): the difference between them stays.
    const std::optional<DateTime>& base = mapping.start ? mapping.start : mapping.due;
    const bool floats = !mapping.zone && run.form != TimeForm::Utc;
    if (floats && base && base->form != TimeForm::Utc) {
        writer.Start("TRIGGER");
        if (!mapping.start)
            writer.Parameter("RELATED", "END");
        AppendDuration(writer.Value(), SecondsOf(run.civil) - SecondsOf(base->civil));
        writer.Finish();
        return;
    }
    writer.Start("TRIGGER");
    writer.Parameter("VALUE", "DATE-TIME");
    AppendDateTime(writer.Value(), InUtc(run, mapping.zone), TimeForm::Utc);
    writer.Finish();
}

// A text property of the VALARM, from text of vCalendar 1.0, else from
// fallback; none where both are empty.
void WriteAlarmText(ICalendarWriter& writer, std::string_view name, std::string_view text, std::string_view fallback)
{
    if (text.empty() && fallback.empty())
        return;
    writer.Start(name);
    AppendVcalendarText(writer.Value(), text.empty() ? fallback : text, TextShape::Single);
    writer.Finish();
}

}  // namespace

bool IsAlarm(std::string_view name)
{
    return AlarmNamed(name) != nullptr;
}

void KeepWhatAlarmLoses(Mapping& mapping, const VcalProperty& property)
{
    NoteReading(mapping, property);
    const Alarm alarm = ReadAlarm(property);
    if (!alarm.lost.empty())
        KeepAsVcal(mapping, property, alarm.lost);
}

void WriteAlarm(Mapping& mapping, const VcalProperty& property)
{
    const Alarm alarm = ReadAlarm(property);
    if (!alarm.written())
        return;
    const Kind kind = alarm.name->kind;
    ICalendarWriter& writer = mapping.writer;
    writer.Line("BEGIN", "VALARM");
    writer.Line("ACTION", alarm.name->action);
    WriteTrigger(mapping, *alarm.run);
    if (kind == Kind::Display)
        WriteAlarmText(writer, "DESCRIPTION", alarm.content(), mapping.summary);
    if (kind == Kind::Email) {
        WriteAlarmText(writer, "SUMMARY", mapping.summary, alarm.note());
        WriteAlarmText(writer, "DESCRIPTION", alarm.note(), mapping.summary);
        writer.Start("ATTENDEE");
        writer.Value() += "mailto:";
        writer.Value().append(alarm.address);
        writer.Finish();
    }
    if ((kind == Kind::Audio || kind == Kind::Procedure) && !alarm.content().empty()) {
        writer.Start("ATTACH");
        WriteParameters(writer, property.parameters);
        AppendAsWritten(writer.Value(), alarm.content());
        writer.Finish();
    }
    if (alarm.repeat > 0 && alarm.snooze) {
        writer.Start("DURATION");
        AppendDuration(writer.Value(), *alarm.snooze);
        writer.Finish();
        writer.Line("REPEAT", std::to_string(alarm.repeat));
    }
    writer.Line("END", "VALARM");
}

}  // namespace orvelin::calendar
