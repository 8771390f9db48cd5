// Program (FXP) and bank (FXB) data of the hosted effect, big-endian, parameter or chunk form.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "BigEndian.h"
#include "RoruvovuzException.h"
#include "RoruvovuzLog.h"
#include "VSTPlugIn.h"

namespace {

constexpr FourCharCode kChunkMagic = FOURCC("CcnK");
constexpr FourCharCode kProgramMagic = FOURCC("FxCk");
constexpr FourCharCode kProgramChunkMagic = FOURCC("FPCh");
constexpr FourCharCode kBankMagic = FOURCC("FxBk");
constexpr FourCharCode kBankChunkMagic = FOURCC("FBCh");

constexpr int64_t kProgramHeaderSize = 56;   // up to the parameter values
constexpr int64_t kProgramChunkOffset = 60;  // chunk size at 56, chunk at 60
constexpr int64_t kBankHeaderSize = 156;     // up to the first program record
constexpr int64_t kBankChunkOffset = 160;    // chunk size at 156, chunk at 160
constexpr size_t kNameOffset = 28;
constexpr size_t kNameBytes = 24;
constexpr int64_t kLargestTotal = INT32_MAX;  // byteSize is read back as a signed field

const char kInvalidFormat[] = "Invalid format of FXP / FXB data";
const char kEndOfFile[] = "End of file error";

SInt32 fieldAt(const UInt8* data, const UInt8* end, size_t offset) {
  SInt32 x = 0;
  if (end - data < int64_t(offset) + 4) throw EOFException(kEndOfFile);
  readBigInt32(data + offset, end, &x);
  return x;
}

void writeName(UInt8* p, const char* name) {
  std::memset(p + kNameOffset, 0, 28);
  std::memcpy(p + kNameOffset, name, strnlen(name, kNameBytes));
}

// Saves the current program and selects it again when the scope ends, also on failure.
class ProgramRestorer {
 public:
  explicit ProgramRestorer(VSTPlugIn& p) : plugIn(p), saved(p.getCurrentProgram()) {}
  ~ProgramRestorer() {
    try {
      plugIn.setCurrentProgram(saved);
    } catch (...) {
    }
  }
  ProgramRestorer(const ProgramRestorer&) = delete;
  ProgramRestorer& operator=(const ProgramRestorer&) = delete;

 private:
  VSTPlugIn& plugIn;
  SInt32 saved;
};

}  // namespace

void VSTPlugIn::writeHeader(UInt8* p, UInt32 total, FourCharCode fxMagic, SInt32 count) {
  writeBigInt32(p + 0, kChunkMagic);
  writeBigInt32(p + 4, total - 8);
  writeBigInt32(p + 8, fxMagic);
  writeBigInt32(p + 12, 1);
  writeBigInt32(p + 16, UInt32(aeffect->uniqueID));
  writeBigInt32(p + 20, UInt32(aeffect->version));
  writeBigInt32(p + 24, UInt32(count));
}

UInt8* VSTPlugIn::writeProgramRecord(UInt8* p) {
  const SInt32 numParams = aeffect->numParams;
  writeHeader(p, UInt32(kProgramHeaderSize + 4 * int64_t(numParams)), kProgramMagic, numParams);
  char name[kNameBytes + 1];
  getCurrentProgramName(name);
  writeName(p, name);
  UInt8* q = p + kProgramHeaderSize;
  for (SInt32 i = 0; i < numParams; ++i, q += 4) writeBigFloat32(q, getParameter(i));
  return q;
}

std::unique_ptr<UInt8[]> VSTPlugIn::createFXP(UInt32& size) {
  SY_LOG("[%s](%p) VST createFXP\n");
  size = 0;
  if (aeffect == nullptr || !openFlag) throw RoruvovuzException("VSTPlugIn::createFXP: not open");
  const int64_t numParams = aeffect->numParams;
  if (numParams < 0) throw RoruvovuzException("VST reports a negative parameter count");
  std::unique_ptr<UInt8[]> bytes;
  int64_t total = 0;
  if (hasProgramChunks()) {
    void* chunk = nullptr;
    const int64_t chunkSize = dispatch(effGetChunk, 1, 0, &chunk, 0.0f);
    if (chunkSize <= 0 || chunk == nullptr) throw RoruvovuzException("VST could not create chunk for FXP");
    total = kProgramChunkOffset + chunkSize;
    if (total > kLargestTotal) throw RoruvovuzException("VST chunk too large for FXP");
    bytes.reset(new UInt8[size_t(total)]());
    writeHeader(bytes.get(), UInt32(total), kProgramChunkMagic, SInt32(numParams));
    char name[kNameBytes + 1];
    getCurrentProgramName(name);
    writeName(bytes.get(), name);
    writeBigInt32(bytes.get() + kProgramHeaderSize, UInt32(chunkSize));
    std::memcpy(bytes.get() + kProgramChunkOffset, chunk, size_t(chunkSize));
  } else {
    total = kProgramHeaderSize + 4 * numParams;
    if (total > kLargestTotal) throw RoruvovuzException("Too many parameters for FXP");
    bytes.reset(new UInt8[size_t(total)]());
    if (writeProgramRecord(bytes.get()) != bytes.get() + total) throw RoruvovuzException("FXP size mismatch");
  }
  size = UInt32(total);
  return bytes;
}

std::unique_ptr<UInt8[]> VSTPlugIn::createFXB(UInt32& size) {
  SY_LOG("[%s](%p) VST createFXB\n");
  size = 0;
  if (aeffect == nullptr || !openFlag) throw RoruvovuzException("VSTPlugIn::createFXB: not open");
  const int64_t numParams = aeffect->numParams;
  const SInt32 numPrograms = getProgramCount();
  if (numParams < 0) throw RoruvovuzException("VST reports a negative parameter count");
  std::unique_ptr<UInt8[]> bytes;
  int64_t total = 0;
  if (hasProgramChunks()) {
    void* chunk = nullptr;
    const int64_t chunkSize = dispatch(effGetChunk, 0, 0, &chunk, 0.0f);
    if (chunkSize <= 0 || chunk == nullptr) throw RoruvovuzException("VST could not create chunk for FXB");
    total = kBankChunkOffset + chunkSize;
    if (total > kLargestTotal) throw RoruvovuzException("VST chunk too large for FXB");
    bytes.reset(new UInt8[size_t(total)]());
    writeHeader(bytes.get(), UInt32(total), kBankChunkMagic, numPrograms);
    writeBigInt32(bytes.get() + kBankHeaderSize, UInt32(chunkSize));
    std::memcpy(bytes.get() + kBankChunkOffset, chunk, size_t(chunkSize));
  } else {
    const int64_t record = kProgramHeaderSize + 4 * numParams;
    total = kBankHeaderSize + int64_t(numPrograms) * record;
    if (total > kLargestTotal) throw RoruvovuzException("Too many programs or parameters for FXB");
    bytes.reset(new UInt8[size_t(total)]());
    writeHeader(bytes.get(), UInt32(total), kBankMagic, numPrograms);
    UInt8* p = bytes.get() + kBankHeaderSize;
    {
      ProgramRestorer restorer(*this);
      for (SInt32 i = 0; i < numPrograms; ++i) {
        setCurrentProgram(i);
        p = writeProgramRecord(p);
      }
    }
    if (p != bytes.get() + total) throw RoruvovuzException("FXB size mismatch");
  }
  size = UInt32(total);
  return bytes;
}

// Checks a whole parameter-form program record before anything is applied; answers its end.
const UInt8* VSTPlugIn::checkProgramRecord(const UInt8* p, const UInt8* end) const {
  if (end - p < 28) throw EOFException(kEndOfFile);
  const SInt32 chunkMagic = fieldAt(p, end, 0);
  const SInt32 version = fieldAt(p, end, 12);
  const SInt32 fxID = fieldAt(p, end, 16);
  const SInt32 numParams = fieldAt(p, end, 24);
  if (UInt32(chunkMagic) != kChunkMagic || version != 1 || fxID != aeffect->uniqueID)
    throw FormatException(kInvalidFormat);
  const int64_t left = end - p;
  if (left < kProgramHeaderSize) throw EOFException(kEndOfFile);
  if (numParams < 0 || int64_t(numParams) > (left - kProgramHeaderSize) / 4) throw EOFException(kEndOfFile);
  return p + kProgramHeaderSize + 4 * int64_t(numParams);
}

const UInt8* VSTPlugIn::readProgramRecord(const UInt8* p, const UInt8* end, bool& matched) {
  const UInt8* next = checkProgramRecord(p, end);
  const SInt32 recordParams = fieldAt(p, end, 24);
  const SInt32 numParams = aeffect->numParams;
  if (recordParams != numParams) matched = false;
  char name[kNameBytes + 1] = {};
  std::memcpy(name, p + kNameOffset, kNameBytes);
  setCurrentProgramName(name);

  dispatch(effBeginSetProgram, 0, 0, nullptr, 0.0f);
  try {
    const UInt8* q = p + kProgramHeaderSize;
    for (SInt32 i = 0; i < numParams; ++i) {
      Float32 value = 0.0f;
      if (i < recordParams) q = readBigFloat32(q, end, &value);
      if (std::isnan(value)) {
        value = 0.0f;
        matched = false;
      } else if (value < 0.0f) {
        value = 0.0f;
        matched = false;
      } else if (value > 1.0f) {
        value = 1.0f;
        matched = false;
      }
      setParameter(i, value);
    }
  } catch (...) {
    dispatch(effEndSetProgram, 0, 0, nullptr, 0.0f);
    throw;
  }
  dispatch(effEndSetProgram, 0, 0, nullptr, 0.0f);
  return next;
}

bool VSTPlugIn::loadFXPOrFXB(size_t size, const UInt8* bytes) {
  SY_LOG("[%s](%p) VST loadFXPOrFXB (size=%ld)\n", long(size));
  if (aeffect == nullptr || !openFlag || bytes == nullptr)
    throw RoruvovuzException("VSTPlugIn::loadFXPOrFXB: not open or no data");
  if (size < 4) throw EOFException(kEndOfFile);
  if (size > size_t(PTRDIFF_MAX)) throw FormatException(kInvalidFormat);
  const UInt8* end = bytes + size;
  SInt32 chunkMagic, byteSize, fxMagic, version, fxID, fxVersion;
  const UInt8* p = readBigInt32(bytes, end, &chunkMagic);
  p = readBigInt32(p, end, &byteSize);
  p = readBigInt32(p, end, &fxMagic);
  p = readBigInt32(p, end, &version);
  p = readBigInt32(p, end, &fxID);
  readBigInt32(p, end, &fxVersion);
  if (UInt32(chunkMagic) != kChunkMagic || byteSize < 0 || int64_t(byteSize) + 8 > int64_t(size) ||
      (version != 1 && version != 2) || fxID != aeffect->uniqueID)
    throw FormatException(kInvalidFormat);

  switch (UInt32(fxMagic)) {
    case kBankChunkMagic: {
      SY_LOG("[%s](%p) VST loading FBCh\n");
      if (!hasProgramChunks()) throw FormatException(kInvalidFormat);
      if (int64_t(size) < kBankChunkOffset) throw EOFException(kEndOfFile);
      const int64_t chunkSize = UInt32(fieldAt(bytes, end, kBankHeaderSize));
      if (kBankChunkOffset + chunkSize > int64_t(size)) throw EOFException("Unexpected end of file in FXB data");
      return dispatch(effSetChunk, 0, VstIntPtr(chunkSize), const_cast<UInt8*>(bytes + kBankChunkOffset), 0.0f) != 0;
    }
    case kProgramChunkMagic: {
      SY_LOG("[%s](%p) VST loading FPCh\n");
      if (!hasProgramChunks()) throw FormatException(kInvalidFormat);
      if (int64_t(size) < kProgramChunkOffset) throw EOFException(kEndOfFile);
      const int64_t chunkSize = UInt32(fieldAt(bytes, end, kProgramHeaderSize));
      if (kProgramChunkOffset + chunkSize > int64_t(size))
        throw EOFException("Unexpected end of file in FXP / FXB data");
      // Only once the chunk is known to be whole is the name sent.
      char name[kNameBytes + 1] = {};
      std::memcpy(name, bytes + kNameOffset, kNameBytes);
      setCurrentProgramName(name);
      return dispatch(effSetChunk, 1, VstIntPtr(chunkSize), const_cast<UInt8*>(bytes + kProgramChunkOffset),
                      0.0f) != 0;
    }
    case kBankMagic: {
      SY_LOG("[%s](%p) VST loading FxBk\n");
      bool matched = true;
      const SInt32 stored = fieldAt(bytes, end, 24);
      const SInt32 programCount = getProgramCount();
      if (stored != programCount) matched = false;
      const SInt32 count = stored < 0 ? 0 : (stored > programCount ? programCount : stored);
      if (count > 0 && int64_t(size) < kBankHeaderSize) throw EOFException(kEndOfFile);
      // Every record is checked before the first one is applied.
      const UInt8* q = bytes + (count > 0 ? kBankHeaderSize : 0);
      for (SInt32 i = 0; i < count; ++i) q = checkProgramRecord(q, end);
      if (count == 0) return matched;
      ProgramRestorer restorer(*this);
      q = bytes + kBankHeaderSize;
      for (SInt32 i = 0; i < count; ++i) {
        setCurrentProgram(i);
        q = readProgramRecord(q, end, matched);
      }
      return matched;
    }
    case kProgramMagic: {
      SY_LOG("[%s](%p) VST loading FxCk\n");
      bool matched = true;
      readProgramRecord(bytes, end, matched);
      return matched;
    }
    default:
      throw FormatException(kInvalidFormat);
  }
}
