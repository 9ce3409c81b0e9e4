#include "cli/json_writer.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

void JsonWriter::flush() {
  if (!sink_) return;
  std::fwrite(out_.data(), 1, out_.size(), sink_);
  out_.clear();
}

void JsonWriter::separate() {
  if (sink_ && out_.size() > (1u << 20)) flush();
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (!first_.empty()) {
    if (!first_.back()) out_ += ',';
    first_.back() = false;
  }
}

JsonWriter& JsonWriter::begin_object() {
  separate();
  out_ += '{';
  first_.push_back(true);
  return *this;
}

JsonWriter& JsonWriter::end_object() {
  out_ += '}';
  first_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::begin_array() {
  separate();
  out_ += '[';
  first_.push_back(true);
  return *this;
}

JsonWriter& JsonWriter::end_array() {
  out_ += ']';
  first_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::key(const char* name) {
  separate();
  // Keys are the program's own plain names: no escaping needed.
  out_ += '"';
  out_ += name;
  out_ += "\":";
  after_key_ = true;
  return *this;
}

JsonWriter& JsonWriter::value(double v) {
  if (!std::isfinite(v)) return null();
  separate();
  char buf[40];
  const auto result = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 17);
  out_.append(buf, result.ptr);
  return *this;
}

JsonWriter& JsonWriter::value(int v) { return value(static_cast<long long>(v)); }

JsonWriter& JsonWriter::value(long long v) {
  separate();
  out_ += std::to_string(v);
  return *this;
}

JsonWriter& JsonWriter::value(bool v) {
  separate();
  out_ += v ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::value(const std::string& s) {
  separate();
  // Text from files may hold bytes that are not UTF-8: replace them.
  out_ += nlohmann::json(s).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return *this;
}

JsonWriter& JsonWriter::value(const std::optional<std::string>& s) { return s ? value(*s) : null(); }

JsonWriter& JsonWriter::null() {
  separate();
  out_ += "null";
  return *this;
}

JsonWriter& JsonWriter::point(const vec3& p) {
  begin_array();
  for (double c : p) value(c);
  return end_array();
}

JsonWriter& JsonWriter::color(const color_t& c) {
  begin_array();
  for (float f : {c.red, c.green, c.blue, c.alpha}) value(static_cast<double>(f));
  return end_array();
}
