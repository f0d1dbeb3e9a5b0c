#include "calendar/entry_conversion.h"

#include "calendar/alarms.h"
#include "calendar/mapping.h"
#include "calendar/property_writers.h"
#include "calendar/time_mapping.h"
#include "engine/letter_case.h"

namespace orvelin::calendar {
namespace {

// The entry's own properties that the rest depends on.
struct KeyProperties {
    const VcalProperty* uid = nullptr;
    const VcalProperty* start = nullptr;
    const VcalProperty* due = nullptr;
    const VcalProperty* summary = nullptr;
    // Whence the DTSTAMP, best first: DTSTAMP (from a producer thinking in 2.0), LAST-MODIFIED, DCREATED.
    const VcalProperty* stamps[3] = {};
};

KeyProperties KeysOf(const VcalEntry& entry)
{
    KeyProperties keys;
    // The first of each name, of times the first that is one.
    const auto take = [](const VcalProperty*& key, const VcalProperty& property, bool time) {
        if (!key && (!time || ReadTimeValue(property.value)))
            key = &property;
    };
    for (const VcalProperty& property : entry.properties) {
        const std::string_view name = property.name;
        if (property.depth != 0)
            continue;
        if (EqualIgnoringCase(name, "UID") && !Trimmed(property.value).empty())
            take(keys.uid, property, false);
        else if (EqualIgnoringCase(name, "SUMMARY"))
            take(keys.summary, property, false);
        else if (EqualIgnoringCase(name, "DTSTART"))
            take(keys.start, property, true);
        else if (EqualIgnoringCase(name, "DUE"))
            take(keys.due, property, true);
        else if (EqualIgnoringCase(name, "DTSTAMP"))
            take(keys.stamps[0], property, true);
        else if (EqualIgnoringCase(name, "LAST-MODIFIED"))
            take(keys.stamps[1], property, true);
        else if (EqualIgnoringCase(name, "DCREATED"))
            take(keys.stamps[2], property, true);
    }
    return keys;
}

void WriteStamp(Mapping& mapping, const KeyProperties& keys, std::int64_t inputModified)
{
    for (const VcalProperty* stamp : keys.stamps) {
        if (stamp) {
            WriteUtcTime(mapping, *stamp, "DTSTAMP");
            return;
        }
    }
    mapping.writer.Start("DTSTAMP");
    AppendDateTime(mapping.writer.Value(), CivilOf(inputModified), TimeForm::Utc);
    mapping.writer.Finish();
}

}  // namespace

void ConvertEntry(const VcalEntry& entry, const EntryConversion& conversion)
{
    const KeyProperties keys = KeysOf(entry);
    Mapping mapping{conversion.writer,
                    conversion.zone,
                    conversion.notes,
                    entry.name,
                    std::nullopt,
                    std::nullopt,
                    keys.summary ? keys.summary->value : std::string_view(),
                    std::string_view()};
    if (keys.start)
        mapping.start = ReadTimeValue(keys.start->value);
    if (keys.due)
        mapping.due = ReadTimeValue(keys.due->value);
    mapping.label = keys.uid ? Trimmed(keys.uid->value) : mapping.summary;
    ICalendarWriter& writer = conversion.writer;
    writer.Line("BEGIN", entry.name);
    if (keys.uid)
        WriteProperty(mapping, *keys.uid);
    else
        writer.Line("UID", conversion.uids.For(entry.bytes));
    WriteStamp(mapping, keys, conversion.inputModified);
    for (const VcalProperty& property : entry.properties) {
        if (property.depth != 0 || &property == keys.uid || &property == keys.stamps[0])
            continue;
        // An empty UID says nothing; a second one cannot be said in 2.0.
        if (EqualIgnoringCase(property.name, "UID") && Trimmed(property.value).empty())
            continue;
        if (EqualIgnoringCase(property.name, "UID"))
            KeepAsVcal(mapping, property, "an entry has one UID");
        else if (IsAlarm(property.name))
            KeepWhatAlarmLoses(mapping, property);
        else
            WriteProperty(mapping, property);
    }
    for (const VcalProperty& property : entry.properties) {
        if (property.depth == 0 && IsAlarm(property.name))
            WriteAlarm(mapping, property);
    }
    // Components inside the entry, line by line.
    for (const VcalProperty& property : entry.properties) {
        if (property.depth == 0)
            continue;
        if (EqualIgnoringCase(property.name, "BEGIN") || EqualIgnoringCase(property.name, "END"))
            writer.Line(property.name, UpperAscii(Trimmed(property.value)));
        else
            WriteProperty(mapping, property);
    }
    writer.Line("END", entry.name);
}

}  // namespace orvelin::calendar
