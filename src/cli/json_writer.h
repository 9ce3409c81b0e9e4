// A small JSON emitter: numbers with 17 significant digits so that they
// read back exactly, strings escaped by the JSON library.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "molecule/types.h"

class JsonWriter {
 public:
  // With a sink the text goes there in pieces as it is made (large files
  // give hundreds of megabytes of JSON); without one it stays in `text()`.
  explicit JsonWriter(FILE* sink = nullptr) : sink_(sink) {}
  // Sends what is left to the sink.
  void flush();
  // Objects and arrays; keys (plain ASCII names) are written by `key`
  // before a value.
  JsonWriter& begin_object();
  JsonWriter& end_object();
  JsonWriter& begin_array();
  JsonWriter& end_array();
  JsonWriter& key(const char* name);

  JsonWriter& value(double v);  // NaN and infinities become null
  JsonWriter& value(int v);
  JsonWriter& value(long long v);
  JsonWriter& value(bool v);
  JsonWriter& value(const std::string& s);
  JsonWriter& value(const std::optional<std::string>& s);
  JsonWriter& null();
  JsonWriter& point(const vec3& p);
  JsonWriter& color(const color_t& c);

  const std::string& text() const { return out_; }

 private:
  void separate();
  FILE* sink_;
  std::string out_;
  std::vector<bool> first_;  // per open container: no element written yet
  bool after_key_ = false;
};
