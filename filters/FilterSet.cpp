#include "filters/FilterSet.h"

namespace tidecast::filters
{

namespace
{

// The upper-case partner of a two-byte code point (U+0080 to U+07FF), or the code point itself.
char32_t upperTwoByte(char32_t cp)
{
    if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) {
        return cp - 0x20;
    }
    if (cp == 0xFF) {
        return 0x178;
    }
    // Latin Extended-A pairs capital and small letters; which of the two is odd changes twice.
    bool evenIsCapital = (cp >= 0x100 && cp <= 0x137) || (cp >= 0x14A && cp <= 0x177);
    bool oddIsCapital = (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
    if ((evenIsCapital && cp % 2 == 1) || (oddIsCapital && cp % 2 == 0)) {
        return cp - 1;
    }
    if (cp >= 0x3B1 && cp <= 0x3C9) {
        return cp == 0x3C2 ? 0x3A3 : cp - 0x20; // final sigma has the same capital as sigma
    }
    switch (cp) {
    case 0x3AC:
        return 0x386;
    case 0x3AD:
    case 0x3AE:
    case 0x3AF:
        return cp - 0x25;
    case 0x3CC:
        return 0x38C;
    case 0x3CD:
    case 0x3CE:
        return cp - 0x3F;
    default:
        break;
    }
    if (cp >= 0x430 && cp <= 0x44F) {
        return cp - 0x20;
    }
    if (cp >= 0x450 && cp <= 0x45F) {
        return cp - 0x50;
    }
    return cp;
}

// Scratch space for upper-casing candidate values without an allocation per comparison.
thread_local std::string t_candidate;

} // namespace

void upperCaseInto(std::string_view text, std::string& out)
{
    out.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            out[i] = byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - ('a' - 'A')) : text[i];
            continue;
        }
        auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0U;
        if ((byte & 0xE0U) == 0xC0U && (next & 0xC0U) == 0x80U) {
            char32_t upper = upperTwoByte(((byte & 0x1FU) << 6U) | (next & 0x3FU));
            out[i] = static_cast<char>(0xC0U | (upper >> 6U));
            out[i + 1] = static_cast<char>(0x80U | (upper & 0x3FU));
            ++i;
            continue;
        }
        out[i] = text[i]; // longer sequences and stray bytes stay as they are
    }
}

FilterSet::FilterSet(std::span<const std::string> lines)
{
    for (const auto& line : lines) {
        if (line.empty()) {
            continue;
        }
        FilterRule parsed = parseFilterRule(line);
        CompiledRule rule{line,
                          parsed.kind,
                          filterFieldFromName(parsed.field),
                          comparisonFromWord(parsed.comparison),
                          parsed.caseSensitive,
                          {}};
        if (rule.caseSensitive) {
            rule.value = std::move(parsed.value);
        } else {
            upperCaseInto(parsed.value, rule.value);
        }
        m_rules.push_back(std::move(rule));
    }
}

bool FilterSet::holds(const CompiledRule& rule, std::string_view candidate)
{
    std::string_view v = candidate;
    if (!rule.caseSensitive) {
        upperCaseInto(candidate, t_candidate);
        v = t_candidate;
    }
    const std::string& w = rule.value;
    switch (rule.comparison) {
    case FilterComparison::Equals:
        return v == w;
    case FilterComparison::Contains:
        // An empty value occurs in every field that is not empty, and in no empty one.
        return !v.empty() && v.find(w) != std::string_view::npos;
    case FilterComparison::StartsWith:
        return v.starts_with(w);
    case FilterComparison::EndsWith:
        return v.ends_with(w);
    case FilterComparison::Unknown:
        break;
    }
    return false;
}

FilterOutcome FilterSet::evaluate(const FilterFieldSource& source) const
{
    for (const auto& rule : m_rules) {
        bool passes = false;
        if (rule.comparison != FilterComparison::Unknown) {
            auto value = source.value(rule.field);
            if (!value) {
                return {true, {}, value.error()};
            }
            bool matched = holds(rule, *value);
            passes = rule.kind == FilterKind::Include ? matched : !matched;
        }
        if (!passes) {
            return {false, rule.text, std::nullopt};
        }
    }
    return {};
}

} // namespace tidecast::filters
