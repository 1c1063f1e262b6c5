#include "lutris/game_database.h"

#include <sqlite3.h>

#include "platform/file_system.h"

namespace lutris {
namespace {

// A path as an SQLite URI names it: what the URI would read otherwise
// escaped.
std::string Uri(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string uri = "file:";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '?' || c == '#' || c == '%' || byte < 0x21 || byte >= 0x7F) {
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 15];
    } else {
      uri += c;
    }
  }
  return uri + "?mode=ro";
}

std::string Column(sqlite3_stmt* row, int column) {
  const unsigned char* text = sqlite3_column_text(row, column);
  return text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text));
}

}  // namespace

std::optional<std::vector<DatabaseGame>> ReadGameDatabase(const std::string& path, std::string* why) {
  if (!platform::PathExists(path)) {
    if (why) *why = "there is no " + path;
    return std::nullopt;
  }
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(Uri(path).c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) != SQLITE_OK) {
    if (why) *why = path + " cannot be opened: " + (db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close(db);
    return std::nullopt;
  }
  sqlite3_busy_timeout(db, 2000);
  sqlite3_stmt* query = nullptr;
  std::optional<std::vector<DatabaseGame>> games;
  if (sqlite3_prepare_v2(db, "SELECT name, slug, runner, directory, configpath, installed FROM games", -1,
                         &query, nullptr) == SQLITE_OK) {
    games.emplace();
    int step;
    while ((step = sqlite3_step(query)) == SQLITE_ROW) {
      games->push_back({Column(query, 0), Column(query, 1), Column(query, 2), Column(query, 3),
                        Column(query, 4), sqlite3_column_int(query, 5) != 0});
    }
    if (step != SQLITE_DONE) games.reset();
  }
  if (!games && why) *why = path + " cannot be read: " + sqlite3_errmsg(db);
  sqlite3_finalize(query);
  sqlite3_close(db);
  return games;
}

}  // namespace lutris
