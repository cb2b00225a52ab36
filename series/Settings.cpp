// SPDX-License-Identifier: GPL-3.0-or-later

#include "series/Settings.h"

#include <algorithm>

namespace series {

namespace {

constexpr std::string_view kPrefix = "Setting:";

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

std::optional<std::string> Settings::get(std::string_view key) const {
    const auto at = m_entries.find(key);
    if (at == m_entries.end())
        return std::nullopt;
    return at->second;
}

void Settings::set(const std::string& key, const std::string& value) {
    if (value.empty())
        erase(key);
    else
        m_entries[key] = value;
}

void Settings::erase(std::string_view key) {
    if (const auto at = m_entries.find(key); at != m_entries.end())
        m_entries.erase(at);
}

std::string settingHeader(std::string_view key) {
    return std::string(kPrefix) + std::string(key);
}

std::optional<std::string> settingKey(std::string_view header) {
    header = trimmed(header);
    if (header.size() <= kPrefix.size() ||
        !std::equal(kPrefix.begin(), kPrefix.end(), header.begin(), [](char a, char b) {
            const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
            return lower(a) == lower(b);
        }))
        return std::nullopt;
    const std::string_view key = trimmed(header.substr(kPrefix.size()));
    if (key.empty())
        return std::nullopt;
    return std::string(key);
}

}  // namespace series
