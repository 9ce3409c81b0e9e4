// A scene output that records every call, for assertions on what a
// traversal drew and in which order.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "render/scene_output.h"

struct call_t {
  std::string op;  // "material", "color", "lighting", "depth", "sphere", "cylinder", "begin", "normal", "vertex", "end"
  int value = 0;   // style, on/off, primitive kind, filled
  color_t c;
  vec3 a{}, b{};
  double r1 = 0, r2 = 0, length = 0;
  int slices = 0, stacks = 0;
  bool closed = false;  // a cylinder said to be a closed tube
};

class RecordingOutput final : public SceneOutput {
 public:
  void material_preset(int style) override { add("material", style); }
  void color(const color_t& c, bool with_alpha) override { add("color", with_alpha).c = c; }
  void lighting(bool on) override { add("lighting", on); }
  void depth_mask(bool on) override { add("depth", on); }
  void sphere(const vec3& centre, double radius, int slices, int stacks, bool filled) override {
    call_t& c = add("sphere", filled, centre);
    c.r1 = c.r2 = radius;
    c.slices = slices;
    c.stacks = stacks;
  }
  void cylinder(const vec3& start, const vec3& toward, double r1, double r2, double length, int slices, int stacks,
                bool filled) override {
    call_t& c = add("cylinder", filled, start);
    c.b = toward;
    c.r1 = r1;
    c.r2 = r2;
    c.length = length;
    c.slices = slices;
    c.stacks = stacks;
    c.closed = closed;
  }
  void closed_cylinders(bool on) override { closed = on; }
  void begin(PrimitiveKind kind) override { add("begin", static_cast<int>(kind)); }
  void normal(const vec3& n) override { add("normal", 0, n); }
  void vertex(const vec3& p) override { add("vertex", 0, p); }
  void end() override { add("end"); }
  std::array<double, 16> modelview() const override { return mv; }

  // What modelview() answers: the identity unless a test sets it.
  std::array<double, 16> mv{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  std::vector<call_t> calls;
  bool closed = false;
  std::vector<call_t> only(const std::string& op) const {
    std::vector<call_t> r;
    for (const call_t& c : calls)
      if (c.op == op) r.push_back(c);
    return r;
  }
  std::string ops() const {
    std::string s;
    for (const call_t& c : calls) s += c.op + " ";
    return s;
  }

 private:
  call_t& add(const std::string& op, int value = 0, const vec3& a = {}) {
    call_t c;
    c.op = op;
    c.value = value;
    c.a = a;
    calls.push_back(c);
    return calls.back();
  }
};
