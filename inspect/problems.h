#pragma once

// What is wrong, as plain sentences for people and, in the same order, each
// with a stable code for scripts.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace inspect {

using Json = nlohmann::ordered_json;

// An object with these fields, in this order, made in one allocation: an
// ordered object keeps its fields in a vector whose keys are const, so each
// time it grows it copies them all.
Json Fields(std::initializer_list<std::pair<std::string_view, Json>> fields);

// A command's document, with room for all its fields, so that adding one
// never copies the large arrays added before it.
Json Document(std::string_view command);

// "problems" (the sentences) and "problemDetails" ({code, message}) of a
// document, in the same order.
class Problems {
 public:
  void Add(std::string_view code, const std::string& message);
  // With more fields in its detail, after code and message.
  void Add(std::string_view code, const std::string& message, Json fields);
  // Another list's problems, each message after `prefix`.
  void Add(const Problems& other, const std::string& prefix);
  bool empty() const { return messages_.empty(); }
  const Json& Messages() const { return messages_; }
  const Json& Details() const { return details_; }
  // Sets problems, problemDetails and status: "problem" or "ok".
  void Put(Json& doc) const;
  // An input that cannot be used at all: status "error".
  static void PutError(Json& doc, std::string_view code, const std::string& message);

 private:
  Json messages_ = Json::array();
  Json details_ = Json::array();
};

// A problem names up to this many of the items it is about ...
inline constexpr size_t kExamples = 5;
// ... joined by ", ", then how many more of `total` there are.
std::string Examples(const std::vector<std::string>& items, size_t total);

// "1 file is", "3 files are": `n` and the phrase that agrees with it.
std::string Count(uint64_t n, std::string_view one, std::string_view many);

// A size for people: bytes up to 10 KiB, then KiB, MiB or GiB.
std::string Size(int64_t bytes);

}  // namespace inspect
