// The C API of libvexasrv.so over Tsrx: every exception ends at this boundary as
// VEXASRV_E_UNEXPECTED with its message kept as the thread's last error.
#include "server/vexasrv.h"

#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "server/srx.h"

struct vexasrv_srx_t {
  vexa::Tsrx srx;
};

namespace {

constexpr char kErrorSource[] = "vexasrv.srx";

struct LastError {
  std::string description;
  std::string source;
};
thread_local LastError last_error;

void ClearError() {
  last_error.description.clear();
  last_error.source.clear();
}

void SetError(std::string description) {
  last_error.description = std::move(description);
  last_error.source = kErrorSource;
}

// Runs `body`, turning any exception into VEXASRV_E_UNEXPECTED and the last error.
template <class Body>
uint32_t Guarded(Body&& body) {
  ClearError();
  try {
    body();
    return VEXASRV_OK;
  } catch (const std::exception& e) {
    SetError(e.what());
  } catch (...) {
    SetError("Unknown error");
  }
  return VEXASRV_E_UNEXPECTED;
}

vexa::Tsrx& Object(vexasrv_srx_t* srx) {
  if (srx == nullptr) throw std::invalid_argument("No srx object");
  return srx->srx;
}

std::string_view Text(const char* text) { return text ? std::string_view(text) : std::string_view(); }

// A copy of `text` in malloc'ed memory, for vexasrv_free.
char* Duplicate(const std::string& text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy == nullptr) throw std::bad_alloc();
  std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

template <class T>
T& Out(T* out) {
  if (out == nullptr) throw std::invalid_argument("No place for the result");
  return *out;
}

}  // namespace

extern "C" {

vexasrv_srx_t* vexasrv_srx_create(void) {
  vexasrv_srx_t* srx = nullptr;
  Guarded([&] {
    vexa::InitServer();
    srx = new vexasrv_srx_t{};
  });
  return srx;
}

void vexasrv_srx_destroy(vexasrv_srx_t* srx) { delete srx; }

uint32_t vexasrv_srx_search(vexasrv_srx_t* srx, const char* query, int32_t npage,
                            int32_t isel, const char* url, char** res) {
  if (res) *res = nullptr;
  return Guarded([&] {
    char*& out = Out(res);
    out = Duplicate(Object(srx).search(Text(query), npage, isel, Text(url)));
  });
}

uint32_t vexasrv_srx_search_x(vexasrv_srx_t* srx, const char* query, int32_t npage,
                              char** res) {
  if (res) *res = nullptr;
  return Guarded([&] {
    char*& out = Out(res);
    out = Duplicate(Object(srx).search_x(Text(query), npage));
  });
}

uint32_t vexasrv_srx_indexes(vexasrv_srx_t* srx, vexasrv_index_row_t** files, size_t* count,
                             const char* tag) {
  if (files) *files = nullptr;
  if (count) *count = 0;
  return Guarded([&] {
    vexasrv_index_row_t*& out = Out(files);
    size_t& n = Out(count);
    const auto rows = Object(srx).indexes(Text(tag));
    if (!rows) return;
    // One block: the rows, then every string with its terminating zero.
    std::size_t bytes = rows->size() * sizeof(vexasrv_index_row_t);
    for (const auto& row : *rows)
      for (const std::string& field : row) bytes += field.size() + 1;
    auto* block = static_cast<vexasrv_index_row_t*>(std::malloc(bytes));
    if (block == nullptr) throw std::bad_alloc();
    char* strings = reinterpret_cast<char*>(block + rows->size());
    for (std::size_t i = 0; i < rows->size(); ++i) {
      for (std::size_t j = 0; j < 4; ++j) {
        const std::string& field = (*rows)[i][j];
        std::memcpy(strings, field.c_str(), field.size() + 1);
        block[i][j] = strings;
        strings += field.size() + 1;
      }
    }
    out = block;
    n = rows->size();
  });
}

uint32_t vexasrv_srx_set_index_file(vexasrv_srx_t* srx, const char* fname) {
  return Guarded([&] { Object(srx).set_index_file(Text(fname)); });
}

const char* vexasrv_last_error(void) { return last_error.description.c_str(); }

const char* vexasrv_last_error_source(void) { return last_error.source.c_str(); }

void vexasrv_free(void* ptr) { std::free(ptr); }

}  // extern "C"
