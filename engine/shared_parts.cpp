#include "engine/shared_parts.h"

#include <functional>
#include <unordered_map>

namespace orvelin {
namespace {

// Numbers sequences of spans of the text by their bytes and a tag: sequences
// of the same bytes and tag get the same number, the first from 0 on.
class ByteGroups {
public:
    explicit ByteGroups(std::string_view text) : text_(text) {}

    std::uint32_t Number(std::uint32_t tag, const std::vector<Span>& spans)
    {
        std::uint64_t hash = tag;
        for (const Span& span : spans)
            hash = (hash ^ std::hash<std::string_view>{}(Text(span))) * 0x100000001b3u;
        std::vector<std::uint32_t>& candidates = byHash_[hash];
        for (const std::uint32_t group : candidates) {
            if (Same(group, tag, spans))
                return group;
        }
        const auto group = static_cast<std::uint32_t>(tags_.size());
        tags_.push_back(tag);
        spans_.insert(spans_.end(), spans.begin(), spans.end());
        starts_.push_back(spans_.size());
        candidates.push_back(group);
        return group;
    }

    // Each number's tag.
    const std::vector<std::uint32_t>& tags() const { return tags_; }

private:
    std::string_view Text(const Span& span) const { return text_.substr(span.begin, span.end - span.begin); }

    bool Same(std::uint32_t group, std::uint32_t tag, const std::vector<Span>& spans) const
    {
        if (tags_[group] != tag || starts_[group + 1] - starts_[group] != spans.size())
            return false;
        for (std::size_t at = 0; at < spans.size(); ++at) {
            if (Text(spans_[starts_[group] + at]) != Text(spans[at]))
                return false;
        }
        return true;
    }

    std::string_view text_;
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> byHash_;
    std::vector<std::uint32_t> tags_;
    // Each number's spans: spans_[starts_[number], starts_[number + 1]).
    std::vector<Span> spans_;
    std::vector<std::size_t> starts_{0};
};

}  // namespace

SharedParts FindSharedParts(const CalendarStructure& structure, std::string_view text)
{
    SharedParts parts;
    std::vector<Span> spans;
    ByteGroups headers(text);
    parts.headers.reserve(structure.calendars.size());
    for (const CalendarObject& calendar : structure.calendars) {
        spans.clear();
        if (!calendar.bare) {
            spans.push_back(calendar.begin);
            spans.insert(spans.end(), calendar.properties.begin(), calendar.properties.end());
        }
        parts.headers.push_back(headers.Number(calendar.bare, spans));
    }
    parts.names.resize(structure.zoneNames.size());
    if (structure.timeZones.empty())
        return parts;
    std::unordered_map<std::string_view, std::uint32_t> tzids;  // the TZIDs defined, by number
    for (const TimeZone& zone : structure.timeZones)
        tzids.try_emplace(zone.tzid, static_cast<std::uint32_t>(tzids.size()));
    ByteGroups definitions(text);
    std::vector<std::uint32_t> definitionFrom(structure.timeZones.size(), kNone);  // by the first zone of each
    for (const Entry& entry : structure.entries) {
        const CalendarObject& calendar = structure.calendars[entry.calendar];
        for (std::uint32_t at = entry.firstComponent; at != kNone; at = structure.components[at].nextInEntry) {
            const Component& component = structure.components[at];
            for (std::uint32_t name = component.firstZone; name < component.firstZone + component.zoneCount; ++name) {
                SharedParts::NamedZone& named = parts.names[name];
                const std::string_view tzid = structure.zoneNames[name];
                if (const auto defined = calendar.zonesByTzid.find(tzid); defined != calendar.zonesByTzid.end()) {
                    named.firstZone = defined->second.first;
                    std::uint32_t& definition = definitionFrom[named.firstZone];
                    if (definition == kNone) {
                        spans.clear();
                        for (std::uint32_t zone = named.firstZone; zone != kNone;
                             zone = structure.timeZones[zone].nextSameTzid)
                            spans.push_back(structure.timeZones[zone].span);
                        definition = definitions.Number(tzids.at(tzid), spans);
                    }
                    named.definition = definition;
                } else if (const auto elsewhere = tzids.find(tzid); elsewhere != tzids.end()) {
                    named.definition = definitions.Number(elsewhere->second, {});
                }
            }
        }
    }
    parts.tzidOf = definitions.tags();
    parts.tzidCount = static_cast<std::uint32_t>(tzids.size());
    return parts;
}

}  // namespace orvelin
