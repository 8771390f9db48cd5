// Loaded images from dl_iterate_phdr; names are interned so answered pointers stay valid.
#include <link.h>
#include <mach-o/dyld.h>

#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

struct Image {
  const mach_header* base;
  const char* name;
};

std::mutex lock;
std::vector<Image>& images() {
  static auto* v = new std::vector<Image>();
  return *v;
}
const char* intern(const std::string& name) {
  static auto* names = new std::set<std::string>();
  return names->insert(name).first->c_str();
}

int collect(dl_phdr_info* info, size_t, void* out) {
  auto* list = static_cast<std::vector<Image>*>(out);
  const bool mainProgram = info->dlpi_name == nullptr || info->dlpi_name[0] == '\0';
  if (mainProgram && !list->empty()) return 0;  // the vdso and similar unnamed images
  list->push_back(Image{reinterpret_cast<const mach_header*>(info->dlpi_addr),
                        intern(mainProgram ? "/proc/self/exe" : info->dlpi_name)});
  return 0;
}

}  // namespace

extern "C" {

UInt32 _dyld_image_count(void) {
  std::vector<Image> fresh;
  dl_iterate_phdr(collect, &fresh);
  std::lock_guard<std::mutex> guard(lock);
  images() = std::move(fresh);
  return UInt32(images().size());
}

const mach_header* _dyld_get_image_header(UInt32 imageIndex) {
  std::lock_guard<std::mutex> guard(lock);
  return imageIndex < images().size() ? images()[imageIndex].base : nullptr;
}

const char* _dyld_get_image_name(UInt32 imageIndex) {
  std::lock_guard<std::mutex> guard(lock);
  return imageIndex < images().size() ? images()[imageIndex].name : nullptr;
}

}  // extern "C"
