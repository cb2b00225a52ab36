// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace series {

// What a series keeps beside its table: the attached sequence and its
// options, the plot's choices. In the file each is a column after the
// table's, headed "Setting:" and its key, whose first row holds the value
// and the other rows nothing, so that a spreadsheet shows them as columns
// and the reader never takes them for data.
class Settings {
  public:
    std::optional<std::string> get(std::string_view key) const;
    // An empty value removes the key.
    void set(const std::string& key, const std::string& value);
    void erase(std::string_view key);
    // In the order of their keys, as the file writes them.
    const std::map<std::string, std::string, std::less<>>& entries() const { return m_entries; }
    bool empty() const { return m_entries.empty(); }
    bool operator==(const Settings&) const = default;

  private:
    std::map<std::string, std::string, std::less<>> m_entries;
};

// "Setting:PkaSet" for the key "PkaSet".
std::string settingHeader(std::string_view key);
// The key a header names ("setting: PkaSet" too), or none for another column.
std::optional<std::string> settingKey(std::string_view header);

}  // namespace series
