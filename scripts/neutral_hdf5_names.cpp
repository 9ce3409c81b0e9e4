// Copies an HDF5 orbital file with its root attributes that name the writing
// program's version and module (names ending in "_VERSION" and "_MODULE")
// renamed to PROGRAM_VERSION and PROGRAM_MODULE, so that the fixtures name
// no program. Everything is copied into a new file, so the old names leave
// no trace in freed space.
//
//   g++ -std=c++17 -I/usr/include/hdf5/serial scripts/neutral_hdf5_names.cpp \
//       -L/usr/lib/x86_64-linux-gnu/hdf5/serial -lhdf5 -o neutral_hdf5_names
//   ./neutral_hdf5_names IN.h5 OUT.h5
#include <hdf5.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct copy_t {
  hid_t from, to;
  bool ok = true;
};

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() > tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string new_name(const std::string& name) {
  for (const char* tail : {"_VERSION", "_MODULE"})
    if (ends_with(name, tail)) return std::string("PROGRAM") + tail;
  return name;
}

herr_t copy_object(hid_t, const char* name, const H5L_info_t*, void* data) {
  auto& c = *static_cast<copy_t*>(data);
  if (H5Ocopy(c.from, name, c.to, name, H5P_DEFAULT, H5P_DEFAULT) < 0) c.ok = false;
  return 0;
}

herr_t copy_attribute(hid_t, const char* name, const H5A_info_t*, void* data) {
  auto& c = *static_cast<copy_t*>(data);
  const hid_t a = H5Aopen(c.from, name, H5P_DEFAULT);
  const hid_t type = H5Aget_type(a), space = H5Aget_space(a);
  if (H5Tis_variable_str(type) > 0) {
    std::fprintf(stderr, "attribute %s: variable-length text is not copied\n", name);
    c.ok = false;
  } else {
    const hssize_t n = H5Sget_simple_extent_npoints(space);
    std::vector<unsigned char> bytes(static_cast<size_t>(n > 0 ? n : 1) * H5Tget_size(type));
    const hid_t b = H5Acreate2(c.to, new_name(name).c_str(), type, space, H5P_DEFAULT, H5P_DEFAULT);
    if (H5Aread(a, type, bytes.data()) < 0 || b < 0 || H5Awrite(b, type, bytes.data()) < 0) c.ok = false;
    if (b >= 0) H5Aclose(b);
  }
  H5Sclose(space);
  H5Tclose(type);
  H5Aclose(a);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s IN.h5 OUT.h5\n", argv[0]);
    return 2;
  }
  const hid_t in = H5Fopen(argv[1], H5F_ACC_RDONLY, H5P_DEFAULT);
  if (in < 0) return 1;
  const hid_t out = H5Fcreate(argv[2], H5F_ACC_EXCL, H5P_DEFAULT, H5P_DEFAULT);
  if (out < 0) return 1;
  copy_t c{in, out};
  H5Literate(in, H5_INDEX_NAME, H5_ITER_NATIVE, nullptr, copy_object, &c);
  H5Aiterate2(in, H5_INDEX_NAME, H5_ITER_NATIVE, nullptr, copy_attribute, &c);
  H5Fclose(out);
  H5Fclose(in);
  return c.ok ? 0 : 1;
}
