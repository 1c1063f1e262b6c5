// The problems a report names: a sentence each for people, with a stable
// code for scripts.

#include "inspect/inspect.h"

namespace inspect {

std::string Examples(const std::vector<std::string>& items, size_t total) {
  std::string text;
  for (size_t i = 0; i < items.size() && i < kExamples; ++i) text += (i ? ", " : "") + items[i];
  const size_t shown = items.size() < kExamples ? items.size() : kExamples;
  if (total > shown) text += " and " + std::to_string(total - shown) + " more";
  return text;
}

void Problems::Add(std::string_view code, const std::string& message) {
  messages_.push_back(message);
  details_.push_back(Json{{"code", code}, {"message", message}});
}

void Problems::Add(const Problems& other, const std::string& prefix) {
  for (const Json& detail : other.details_) {
    Add(detail["code"].get<std::string>(), prefix + detail["message"].get<std::string>());
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
