#include "PartitionedConvolver.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

namespace convolution {

size_t TrimmedLength(const float* ir, size_t irLen)
{
    if (!ir)
        return 0;
    while (irLen > 0 && std::fabs(ir[irLen - 1]) < 1e-6f)
        --irLen;
    return irLen;
}

size_t PartitionCount(size_t irLen, size_t blockSize)
{
    return irLen / blockSize + (irLen % blockSize != 0 ? 1 : 0);
}

size_t NextPowerOf2(size_t n)
{
    size_t p = 1;
    while (p < n) {
        if (p > SIZE_MAX / 2)
            return 0;
        p *= 2;
    }
    return p;
}

PartitionedConvolver::~PartitionedConvolver() { reset(); }

void PartitionedConvolver::reset()
{
    _segments.clear();
    _segmentsIR.clear();
    _blockSize = 0;
    _segSize = 0;
    _segCount = 0;
    _fftComplexSize = 0;
    _fftBuffer.clear();
    _preMultiplied.clear();
    _conv.clear();
    _overlap.clear();
    _inputBuffer.clear();
    _current = 0;
    _inputBufferFill = 0;
    _fft.init(0);
}

bool PartitionedConvolver::init(size_t blockSize, const float* ir, size_t irLen)
{
    reset();
    if (blockSize == 0)
        return false;
    irLen = TrimmedLength(ir, irLen);
    if (irLen == 0)
        return true;

    const size_t b = NextPowerOf2(blockSize);
    if (b == 0 || b > SIZE_MAX / 2)
        return false;
    const size_t segSize = 2 * b;
    const size_t segCount = PartitionCount(irLen, b);
    const size_t bins = realfft::RealFFT::spectrumSize(segSize);

    bool ok = _fft.init(segSize) && _fftBuffer.resize(segSize);
    try {
        if (ok) {
            _segments.resize(segCount);
            _segmentsIR.resize(segCount);
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    for (size_t i = 0; ok && i < segCount; ++i) {
        ok = _segments[i].resize(bins) && _segmentsIR[i].resize(bins);
        if (!ok)
            break;
        const size_t start = i * b;
        const size_t n = irLen - start < b ? irLen - start : b;
        CopyAndPad(_fftBuffer, ir + start, n);
        _fft.fft(_fftBuffer.data(), _segmentsIR[i].re.data(), _segmentsIR[i].im.data());
    }
    ok = ok && _preMultiplied.resize(bins) && _conv.resize(bins) && _overlap.resize(b) && _inputBuffer.resize(b);
    if (!ok) {
        reset();
        return false;
    }
    _blockSize = b;
    _segSize = segSize;
    _segCount = segCount;
    _fftComplexSize = bins;
    _fftBuffer.setZero();
    _inputBufferFill = 0;
    _current = 0;
    return true;
}

void PartitionedConvolver::process(const float* input, float* output, size_t len)
{
    if (_segCount == 0) {
        if (len)
            std::memset(output, 0, len * sizeof(float));
        return;
    }
    const size_t b = _blockSize;
    size_t processed = 0;
    while (processed < len) {
        const size_t pos = _inputBufferFill;
        const size_t n = b - pos < len - processed ? b - pos : len - processed;
        std::memcpy(_inputBuffer.data() + pos, input + processed, n * sizeof(float));

        CopyAndPad(_fftBuffer, _inputBuffer.data(), b);
        SplitSpectrum& filling = _segments[_current];
        _fft.fft(_fftBuffer.data(), filling.re.data(), filling.im.data());

        // Older blocks cannot change during a block: sum their products once.
        if (pos == 0) {
            _preMultiplied.setZero();
            for (size_t i = 1; i < _segCount; ++i) {
                size_t ring = _current + i;
                if (ring >= _segCount)
                    ring -= _segCount;
                ComplexMultiplyAccumulate(_preMultiplied, _segmentsIR[i], _segments[ring]);
            }
        }
        _conv.copyFrom(_preMultiplied);
        ComplexMultiplyAccumulate(_conv, filling, _segmentsIR[0]);
        _fft.ifft(_fftBuffer.data(), _conv.re.data(), _conv.im.data());

        AddSamples(output + processed, _fftBuffer.data() + pos, _overlap.data() + pos, n);

        _inputBufferFill = pos + n;
        if (_inputBufferFill == b) {
            _inputBuffer.setZero();
            _inputBufferFill = 0;
            std::memcpy(_overlap.data(), _fftBuffer.data() + b, b * sizeof(float));
            // The ring runs backwards: the block just completed is at distance 1.
            _current = (_current > 0 ? _current : _segCount) - 1;
        }
        processed += n;
    }
}

} // namespace convolution
