// The problems a report names: a sentence each for people, with a stable
// code for scripts.

#include "inspect/problems.h"

#include <cstdio>

namespace inspect {

Json Fields(std::initializer_list<std::pair<std::string_view, Json>> fields) {
  Json object = Json::object();
  auto& map = object.get_ref<Json::object_t&>();
  map.reserve(fields.size());
  for (const auto& [key, value] : fields) map.emplace_back(std::string(key), value);
  return object;
}

Json Document(std::string_view command) {
  Json doc = Fields({{"command", command}});
  doc.get_ref<Json::object_t&>().reserve(32);
  return doc;
}

std::string Examples(const std::vector<std::string>& items, size_t total) {
  std::string text;
  for (size_t i = 0; i < items.size() && i < kExamples; ++i) text += (i ? ", " : "") + items[i];
  const size_t shown = items.size() < kExamples ? items.size() : kExamples;
  if (total > shown) text += " and " + std::to_string(total - shown) + " more";
  return text;
}

std::string Count(uint64_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

std::string Size(int64_t bytes) {
  if (bytes < 10 * 1024) return Count(static_cast<uint64_t>(bytes < 0 ? 0 : bytes), "byte", "bytes");
  const char* const units[] = {"KiB", "MiB", "GiB"};
  double value = static_cast<double>(bytes) / 1024;
  size_t unit = 0;
  while (value >= 1024 && unit + 1 < sizeof units / sizeof *units) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
  return text;
}

void Problems::Add(std::string_view code, const std::string& message) {
  messages_.push_back(message);
  details_.push_back(Fields({{"code", code}, {"message", message}}));
}

void Problems::Add(std::string_view code, const std::string& message, Json fields) {
  Add(code, message);
  for (auto& [key, value] : fields.items()) details_.back()[key] = std::move(value);
}

void Problems::Add(const Problems& other, const std::string& prefix) {
  for (const Json& detail : other.details_) {
    Json copy = detail;
    copy["message"] = prefix + detail["message"].get<std::string>();
    messages_.push_back(copy["message"]);
    details_.push_back(std::move(copy));
  }
}

void Problems::Put(Json& doc) const {
  doc["problems"] = messages_;
  doc["problemDetails"] = details_;
  doc["status"] = empty() ? "ok" : "problem";
}

void Problems::PutError(Json& doc, std::string_view code, const std::string& message) {
  Problems error;
  error.Add(code, message);
  error.Put(doc);
  doc["status"] = "error";
}

}  // namespace inspect
