#include "RoruvovuzLog.h"

#include <cstring>

char roruvovuzLogTag[256] = "Roruvovuz";

void setRoruvovuzLogTag(ConstStr255Param name) {
  if (name == nullptr) return;
  const size_t length = name[0];
  std::memcpy(roruvovuzLogTag, name + 1, length);
  roruvovuzLogTag[length] = '\0';
}
