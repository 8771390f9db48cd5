#include "RealFFT.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "RealFFTKernels.h"
#include "Utilities.h"

namespace realfft {

namespace details {

bool IsPowerOf2(size_t size) { return size == 1 || (size & (size - 1)) == 0; }

// The real transform of size N runs as a complex transform of M = N/2 points
// on z[m] = x[2m] + i x[2m+1] (radix-4 Stockham passes, a radix-2 pass when
// log2 M is odd), split into the real spectrum by one pass over the bins.
// Everything is double precision; tables are built once per size.
class SplitRadixFFT : public RealFFTImpl {
public:
    bool init(size_t size) override;
    void fft(const float* data, float* re, float* im) override;
    void ifft(float* data, const float* re, const float* im) override;
    size_t stepCount() const override { return _size < 2 ? 1 : passCount() + 2; }
    void fftStep(size_t step, const float* data, float* re, float* im) override;
    void ifftStep(size_t step, float* data, const float* re, const float* im) override;

private:
    size_t passCount() const { return _stages.size() + (_radix2Stride ? 1 : 0); }
    void runPass(size_t pass, const double* xr, const double* xi, double* yr, double* yi);
    void complexPass(size_t pass);
    void complexForward();
    void complexResult(double*& re, double*& im);
    void load(const float* data);
    void split(float* re, float* im);
    void merge(const float* re, const float* im);
    void store(float* data);
    void release();

    size_t _size = 0;
    std::vector<Stage> _stages;
    size_t _radix2Stride = 0; // stride of the closing radix-2 pass; 0 when there is none
    convolution::Buffer<double> _twiddles;
    convolution::Buffer<double> _splitCos; // cos(2 pi k/N), k <= N/4
    convolution::Buffer<double> _splitSin; // sin(2 pi k/N), k <= N/4
    convolution::Buffer<double> _work;     // four arrays of M doubles: a re, a im, b re, b im
};

namespace {

// cos and sin of 2 pi k/n for every k, from one octant of values computed in
// long double: the other octants follow by symmetry, so the quarter, half and
// octant angles come out exact.
class AngleTable {
public:
    // n: a power of two >= 1. Answers false when memory runs out.
    bool build(size_t n)
    {
        _n = n;
        const size_t count = n / 8 + 1;
        if (!_cos.resize(count) || !_sin.resize(count))
            return false;
        const long double pi = 3.141592653589793238462643383279502884L;
        for (size_t k = 0; k < count; ++k) {
            const long double a = 2 * pi * static_cast<long double>(k) / static_cast<long double>(n);
            _cos[k] = static_cast<double>(std::cos(a));
            _sin[k] = static_cast<double>(std::sin(a));
        }
        return true;
    }

    // k of an n-point grid; n divides the table's size.
    void get(size_t k, size_t n, double& c, double& s) const
    {
        k = (k % n) * (_n / n);
        const size_t full = _n;
        bool negSin = false, negCos = false, swap = false;
        if (2 * k > full) { // (pi, 2 pi): mirror about the real axis
            k = full - k;
            negSin = true;
        }
        if (4 * k > full) { // (pi/2, pi]: mirror about the imaginary axis
            k = full / 2 - k;
            negCos = true;
        }
        if (8 * k > full) { // (pi/4, pi/2]: exchange cos and sin
            k = full / 4 - k;
            swap = true;
        }
        double cc = _cos[k], ss = _sin[k];
        if (swap)
            std::swap(cc, ss);
        c = negCos ? -cc : cc;
        s = negSin ? -ss : ss;
    }

private:
    size_t _n = 0;
    convolution::Buffer<double> _cos;
    convolution::Buffer<double> _sin;
};

} // namespace

void SplitRadixFFT::release()
{
    _size = 0;
    _radix2Stride = 0;
    _stages.clear();
    _twiddles.clear();
    _splitCos.clear();
    _splitSin.clear();
    _work.clear();
}

bool SplitRadixFFT::init(size_t size)
{
    if (size == _size)
        return true;
    release();
    if (size < 2) {
        _size = size;
        return true;
    }
    const size_t m = size / 2;
    if (m > static_cast<size_t>(PTRDIFF_MAX) / (4 * sizeof(double)))
        return false;
    size_t twiddleCount = 0;
    try {
        size_t n = m, s = 1;
        for (; n >= 4; n /= 4, s *= 4) {
            _stages.push_back(Stage{n, s, twiddleCount});
            twiddleCount += 6 * (n / 4);
        }
        _radix2Stride = n == 2 ? s : 0;
    } catch (const std::bad_alloc&) {
        release();
        return false;
    }
    if (!_twiddles.resize(twiddleCount) || !_splitCos.resize(m / 2 + 1) || !_splitSin.resize(m / 2 + 1)
        || !_work.resize(4 * m)) {
        release();
        return false;
    }
    AngleTable angles;
    if (!angles.build(size)) {
        release();
        return false;
    }
    for (const Stage& stage : _stages) {
        const size_t q = stage.n / 4;
        double* w = _twiddles.data() + stage.twiddles;
        for (size_t p = 0; p < q; ++p) {
            angles.get(p, stage.n, w[p], w[q + p]);
            angles.get(2 * p, stage.n, w[2 * q + p], w[3 * q + p]);
            angles.get(3 * p, stage.n, w[4 * q + p], w[5 * q + p]);
            // e^(-i angle): negate the sines.
            w[q + p] = -w[q + p];
            w[3 * q + p] = -w[3 * q + p];
            w[5 * q + p] = -w[5 * q + p];
        }
    }
    for (size_t k = 0; k <= m / 2; ++k)
        angles.get(k, size, _splitCos[k], _splitSin[k]);
    _size = size;
    return true;
}

namespace {

// First pass (stride 1), two butterflies at a time; n/4 must be even.
void FirstStage(const Stage& st, const double* w, const double* xr, const double* xi, double* yr, double* yi)
{
    const size_t q4 = st.n / 4;
    for (size_t p = 0; p < q4; p += 2) {
        Butterfly<Double2> b(load2(xr + p), load2(xi + p), load2(xr + p + q4), load2(xi + p + q4),
                             load2(xr + p + 2 * q4), load2(xi + p + 2 * q4), load2(xr + p + 3 * q4),
                             load2(xi + p + 3 * q4));
        Rotate(b.t1r, b.t1i, load2(w + p), load2(w + q4 + p));
        Rotate(b.t2r, b.t2i, load2(w + 2 * q4 + p), load2(w + 3 * q4 + p));
        Rotate(b.t3r, b.t3i, load2(w + 4 * q4 + p), load2(w + 5 * q4 + p));
        // Lane 0 goes to 4p .. 4p+3, lane 1 to 4p+4 .. 4p+7.
        double* r = yr + 4 * p;
        double* i = yi + 4 * p;
        store2(r, __builtin_shufflevector(b.t0r, b.t1r, 0, 2));
        store2(r + 2, __builtin_shufflevector(b.t2r, b.t3r, 0, 2));
        store2(r + 4, __builtin_shufflevector(b.t0r, b.t1r, 1, 3));
        store2(r + 6, __builtin_shufflevector(b.t2r, b.t3r, 1, 3));
        store2(i, __builtin_shufflevector(b.t0i, b.t1i, 0, 2));
        store2(i + 2, __builtin_shufflevector(b.t2i, b.t3i, 0, 2));
        store2(i + 4, __builtin_shufflevector(b.t0i, b.t1i, 1, 3));
        store2(i + 6, __builtin_shufflevector(b.t2i, b.t3i, 1, 3));
    }
}

// A pass with stride s >= 2, two columns at a time.
void Stage4(const Stage& st, const double* w, const double* xr, const double* xi, double* yr, double* yi)
{
    const size_t s = st.n / 4 * st.s; // offset between the four inputs
    const size_t stride = st.s;
    const size_t q4 = st.n / 4;
    for (size_t p = 0; p < q4; ++p) {
        const Double2 w1r = Splat(w[p]), w1i = Splat(w[q4 + p]);
        const Double2 w2r = Splat(w[2 * q4 + p]), w2i = Splat(w[3 * q4 + p]);
        const Double2 w3r = Splat(w[4 * q4 + p]), w3i = Splat(w[5 * q4 + p]);
        const double* ar = xr + stride * p;
        const double* ai = xi + stride * p;
        double* y0r = yr + stride * 4 * p;
        double* y0i = yi + stride * 4 * p;
        for (size_t q = 0; q < stride; q += 2) {
            Butterfly<Double2> b(load2(ar + q), load2(ai + q), load2(ar + q + s), load2(ai + q + s),
                                 load2(ar + q + 2 * s), load2(ai + q + 2 * s), load2(ar + q + 3 * s),
                                 load2(ai + q + 3 * s));
            Rotate(b.t1r, b.t1i, w1r, w1i);
            Rotate(b.t2r, b.t2i, w2r, w2i);
            Rotate(b.t3r, b.t3i, w3r, w3i);
            store2(y0r + q, b.t0r);
            store2(y0i + q, b.t0i);
            store2(y0r + q + stride, b.t1r);
            store2(y0i + q + stride, b.t1i);
            store2(y0r + q + 2 * stride, b.t2r);
            store2(y0i + q + 2 * stride, b.t2i);
            store2(y0r + q + 3 * stride, b.t3r);
            store2(y0i + q + 3 * stride, b.t3i);
        }
    }
}

// The last radix-4 pass (n = 4): no twiddles.
void LastStage4(size_t stride, const double* xr, const double* xi, double* yr, double* yi)
{
    if (stride == 1) {
        Butterfly<double> b(xr[0], xi[0], xr[1], xi[1], xr[2], xi[2], xr[3], xi[3]);
        yr[0] = b.t0r, yi[0] = b.t0i, yr[1] = b.t1r, yi[1] = b.t1i;
        yr[2] = b.t2r, yi[2] = b.t2i, yr[3] = b.t3r, yi[3] = b.t3i;
        return;
    }
    for (size_t q = 0; q < stride; q += 2) {
        Butterfly<Double2> b(load2(xr + q), load2(xi + q), load2(xr + q + stride), load2(xi + q + stride),
                             load2(xr + q + 2 * stride), load2(xi + q + 2 * stride), load2(xr + q + 3 * stride),
                             load2(xi + q + 3 * stride));
        store2(yr + q, b.t0r);
        store2(yi + q, b.t0i);
        store2(yr + q + stride, b.t1r);
        store2(yi + q + stride, b.t1i);
        store2(yr + q + 2 * stride, b.t2r);
        store2(yi + q + 2 * stride, b.t2i);
        store2(yr + q + 3 * stride, b.t3r);
        store2(yi + q + 3 * stride, b.t3i);
    }
}

// The radix-2 pass that ends a transform of 2 * 4^k points (stride s).
void LastStage2(size_t s, const double* xr, const double* xi, double* yr, double* yi)
{
    if (s == 1) {
        const double ar = xr[0], ai = xi[0], br = xr[1], bi = xi[1];
        yr[0] = ar + br, yi[0] = ai + bi, yr[1] = ar - br, yi[1] = ai - bi;
        return;
    }
    for (size_t q = 0; q < s; q += 2) {
        const Double2 ar = load2(xr + q), ai = load2(xi + q), br = load2(xr + q + s), bi = load2(xi + q + s);
        store2(yr + q, ar + br);
        store2(yi + q, ai + bi);
        store2(yr + q + s, ar - br);
        store2(yi + q + s, ai - bi);
    }
}

} // namespace

// The forward complex transform of the M points in the first work pair runs
// as passCount() passes, each from one work pair into the other.
inline void SplitRadixFFT::runPass(size_t pass, const double* xr, const double* xi, double* yr, double* yi)
{
    // Four lanes where the processor has AVX and the pass has room for
    // them; each lane does the arithmetic of the two-lane passes.
    const bool wide = HasAvx();
    if (pass < _stages.size()) {
        const Stage& st = _stages[pass];
        if (st.n == 4) {
            if (wide && st.s >= 4)
                LastStage4Avx(st.s, xr, xi, yr, yi);
            else
                LastStage4(st.s, xr, xi, yr, yi);
        } else if (st.s == 1) {
            if (wide && st.n % 16 == 0)
                FirstStageAvx(st, _twiddles.data() + st.twiddles, xr, xi, yr, yi);
            else
                FirstStage(st, _twiddles.data() + st.twiddles, xr, xi, yr, yi);
        } else {
            if (wide && st.s % 4 == 0)
                Stage4Avx(st, _twiddles.data() + st.twiddles, xr, xi, yr, yi);
            else
                Stage4(st, _twiddles.data() + st.twiddles, xr, xi, yr, yi);
        }
    } else {
        if (wide && _radix2Stride % 4 == 0)
            LastStage2Avx(_radix2Stride, xr, xi, yr, yi);
        else
            LastStage2(_radix2Stride, xr, xi, yr, yi);
    }
}

// One pass, for the transforms in steps.
void SplitRadixFFT::complexPass(size_t pass)
{
    const size_t m = _size / 2;
    double* first = _work.data();
    double* second = first + 2 * m;
    double* xr = pass % 2 == 0 ? first : second;
    double* yr = pass % 2 == 0 ? second : first;
    runPass(pass, xr, xr + m, yr, yr + m);
}

// All passes, for the whole transforms.
void SplitRadixFFT::complexForward()
{
    const size_t m = _size / 2;
    double* xr = _work.data();
    double* xi = xr + m;
    double* yr = xi + m;
    double* yi = yr + m;
    const size_t passes = passCount();
    for (size_t pass = 0; pass < passes; ++pass) {
        runPass(pass, xr, xi, yr, yi);
        std::swap(xr, yr);
        std::swap(xi, yi);
    }
}

// Where the passes leave the transform.
inline void SplitRadixFFT::complexResult(double*& re, double*& im)
{
    const size_t m = _size / 2;
    re = _work.data() + (passCount() % 2 == 0 ? 0 : 2 * m);
    im = re + m;
}

namespace {

typedef float Float2 __attribute__((vector_size(8)));
using simd::Float4;

inline Double2 LoadFloat2(const float* p)
{
    Float2 v;
    std::memcpy(&v, p, sizeof v);
    return __builtin_convertvector(v, Double2);
}

inline void StoreFloat2(float* p, Double2 v)
{
    const Float2 f = __builtin_convertvector(v, Float2);
    std::memcpy(p, &f, sizeof f);
}

inline Double2 Reverse(Double2 v) { return __builtin_shufflevector(v, v, 1, 0); }

} // namespace

void SplitRadixFFT::fft(const float* data, float* re, float* im)
{
    if (_size < 2) {
        fftStep(0, data, re, im);
        return;
    }
    load(data);
    complexForward();
    split(re, im);
}

// Step 0 reads data, the passes follow, the last step writes the bins.
void SplitRadixFFT::fftStep(size_t step, const float* data, float* re, float* im)
{
    const size_t size = _size;
    if (size < 2) {
        if (size == 1) {
            re[0] = data[0];
            im[0] = 0.0f;
        }
        return;
    }
    if (step == 0)
        load(data);
    else if (step <= passCount())
        complexPass(step - 1);
    else
        split(re, im);
}

void SplitRadixFFT::load(const float* data)
{
    const size_t m = _size / 2;
    double* zr = _work.data();
    double* zi = zr + m;
    size_t j = HasAvx() ? LoadAvx(data, zr, zi, m) : 0;
    for (; j + 2 <= m; j += 2) {
        Float4 v;
        std::memcpy(&v, data + 2 * j, sizeof v);
        const Double2 first = __builtin_convertvector(__builtin_shufflevector(v, v, 0, 1), Double2);
        const Double2 second = __builtin_convertvector(__builtin_shufflevector(v, v, 2, 3), Double2);
        store2(zr + j, __builtin_shufflevector(first, second, 0, 2));
        store2(zi + j, __builtin_shufflevector(first, second, 1, 3));
    }
    for (; j < m; ++j) {
        zr[j] = data[2 * j];
        zi[j] = data[2 * j + 1];
    }
}

void SplitRadixFFT::split(float* re, float* im)
{
    const size_t m = _size / 2;
    double* zr;
    double* zi;
    complexResult(zr, zi);
    re[0] = static_cast<float>(zr[0] + zi[0]);
    im[0] = 0.0f;
    re[m] = static_cast<float>(zr[0] - zi[0]);
    im[m] = 0.0f;
    const double* c = _splitCos.data();
    const double* sn = _splitSin.data();
    const size_t half = m / 2;
    size_t k = HasAvx() ? SplitAvx(zr, zi, c, sn, re, im, m) : 1;
    for (; k + 2 <= half; k += 2) {
        Double2 xr, xi, yr, yi;
        SplitBins(load2(zr + k), load2(zi + k), Reverse(load2(zr + m - k - 1)), Reverse(load2(zi + m - k - 1)),
                  load2(c + k), load2(sn + k), xr, xi, yr, yi);
        StoreFloat2(re + k, xr);
        StoreFloat2(im + k, xi);
        StoreFloat2(re + m - k - 1, Reverse(yr));
        StoreFloat2(im + m - k - 1, Reverse(yi));
    }
    for (; k < half; ++k) {
        double xr, xi, yr, yi;
        SplitBins(zr[k], zi[k], zr[m - k], zi[m - k], c[k], sn[k], xr, xi, yr, yi);
        re[k] = static_cast<float>(xr);
        im[k] = static_cast<float>(xi);
        re[m - k] = static_cast<float>(yr);
        im[m - k] = static_cast<float>(yi);
    }
    if (half > 0) {
        re[half] = static_cast<float>(zr[half]);
        im[half] = static_cast<float>(-zi[half]);
    }
}

void SplitRadixFFT::ifft(float* data, const float* re, const float* im)
{
    if (_size < 2) {
        ifftStep(0, data, re, im);
        return;
    }
    merge(re, im);
    complexForward();
    store(data);
}

// Step 0 reads the bins, the passes follow, the last step writes data.
void SplitRadixFFT::ifftStep(size_t step, float* data, const float* re, const float* im)
{
    const size_t size = _size;
    if (size < 2) {
        if (size == 1)
            data[0] = re[0];
        return;
    }
    if (step == 0)
        merge(re, im);
    else if (step <= passCount())
        complexPass(step - 1);
    else
        store(data);
}

void SplitRadixFFT::merge(const float* re, const float* im)
{
    const size_t m = _size / 2;
    double* zr = _work.data();
    double* zi = zr + m;
    // Conjugated, so that the forward transform does the inverse.
    zr[0] = static_cast<double>(re[0]) + re[m];
    zi[0] = -(static_cast<double>(re[0]) - re[m]);
    const double* c = _splitCos.data();
    const double* sn = _splitSin.data();
    const size_t half = m / 2;
    size_t k = HasAvx() ? MergeAvx(re, im, c, sn, zr, zi, m) : 1;
    for (; k + 2 <= half; k += 2) {
        Double2 xr, xi, yr, yi;
        MergeBins(LoadFloat2(re + k), LoadFloat2(im + k), Reverse(LoadFloat2(re + m - k - 1)),
                  Reverse(LoadFloat2(im + m - k - 1)), load2(c + k), load2(sn + k), xr, xi, yr, yi);
        store2(zr + k, xr);
        store2(zi + k, xi);
        store2(zr + m - k - 1, Reverse(yr));
        store2(zi + m - k - 1, Reverse(yi));
    }
    for (; k < half; ++k) {
        double xr, xi, yr, yi;
        MergeBins<double>(re[k], im[k], re[m - k], im[m - k], c[k], sn[k], xr, xi, yr, yi);
        zr[k] = xr;
        zi[k] = xi;
        zr[m - k] = yr;
        zi[m - k] = yi;
    }
    if (half > 0) {
        zr[half] = 2.0 * re[half];
        zi[half] = 2.0 * im[half];
    }
}

void SplitRadixFFT::store(float* data)
{
    const size_t size = _size;
    const size_t m = size / 2;
    double* zr;
    double* zi;
    complexResult(zr, zi);
    const double scale = 1.0 / static_cast<double>(size);
    const Double2 scaleRe = Splat(scale), scaleIm = Splat(-scale);
    size_t j = HasAvx() ? StoreAvx(zr, zi, scale, data, m) : 0;
    for (; j + 2 <= m; j += 2) {
        const Double2 r = load2(zr + j) * scaleRe, i = load2(zi + j) * scaleIm;
        const Float2 first = __builtin_convertvector(__builtin_shufflevector(r, i, 0, 2), Float2);
        const Float2 second = __builtin_convertvector(__builtin_shufflevector(r, i, 1, 3), Float2);
        const Float4 v = __builtin_shufflevector(first, second, 0, 1, 2, 3);
        std::memcpy(data + 2 * j, &v, sizeof v);
    }
    for (; j < m; ++j) {
        data[2 * j] = static_cast<float>(zr[j] * scale);
        data[2 * j + 1] = static_cast<float>(-zi[j] * scale);
    }
}

std::unique_ptr<RealFFTImpl> CreateRealFFTImpl() { return std::unique_ptr<RealFFTImpl>(new (std::nothrow) SplitRadixFFT); }

} // namespace details

RealFFT::RealFFT() : _impl(details::CreateRealFFTImpl()) {}

RealFFT::~RealFFT() = default;

bool RealFFT::init(size_t size)
{
    CONVOLUTION_CHECK("init", details::IsPowerOf2(size));
    if (!details::IsPowerOf2(size) || !_impl || !_impl->init(size)) {
        if (_impl)
            _impl->init(0);
        _size = 0;
        return false;
    }
    _size = size;
    return true;
}

void RealFFT::fft(const float* data, float* re, float* im)
{
    if (_size)
        _impl->fft(data, re, im);
}

void RealFFT::ifft(float* data, const float* re, const float* im)
{
    if (_size)
        _impl->ifft(data, re, im);
}

size_t RealFFT::stepCount() const { return _size ? _impl->stepCount() : 0; }

void RealFFT::fftStep(size_t step, const float* data, float* re, float* im)
{
    if (_size)
        _impl->fftStep(step, data, re, im);
}

void RealFFT::ifftStep(size_t step, float* data, const float* re, const float* im)
{
    if (_size)
        _impl->ifftStep(step, data, re, im);
}

} // namespace realfft
