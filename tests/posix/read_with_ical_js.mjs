// Reads iCalendar files with ical.js and prints each event's start in UTC,
// summary and rule, tab-separated, one event a line (a TZID is looked up in
// the VTIMEZONEs of the event's own calendar).
// Usage: node read_with_ical_js.mjs ICAL_JS_MODULE FILE...
import { readFileSync } from 'node:fs';
import { pathToFileURL } from 'node:url';

const ICAL = (await import(pathToFileURL(process.argv[2]))).default;
for (const file of process.argv.slice(3)) {
    const calendar = new ICAL.Component(ICAL.parse(readFileSync(file, 'utf8')));
    for (const component of calendar.getAllSubcomponents('vevent')) {
        const event = new ICAL.Event(component);
        const start = event.startDate.convertToZone(ICAL.Timezone.utcTimezone).toICALString();
        const rule = component.getFirstPropertyValue('rrule');
        console.log([start, event.summary, rule ? rule.toString() : ''].join('\t'));
    }
}
