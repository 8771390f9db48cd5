// The real FFT's arithmetic on one value or one vector of values. No
// includes and no namespace of its own: RealFFTKernels.h includes it inside
// the transform's namespace, RealFFTAvx.cpp inside a namespace of its own
// compiled for AVX, so that both have the same operations in the same order.

// Radix-4 butterfly without twiddles: t0 = a+b+c+d, t1 = (a-c) - i(b-d),
// t2 = (a+c) - (b+d), t3 = (a-c) + i(b-d).
template <typename T>
struct Butterfly {
    T t0r, t0i, t1r, t1i, t2r, t2i, t3r, t3i;

    Butterfly(T ar, T ai, T br, T bi, T cr, T ci, T dr, T di)
    {
        const T apcr = ar + cr, apci = ai + ci, amcr = ar - cr, amci = ai - ci;
        const T bpdr = br + dr, bpdi = bi + di, bmdr = br - dr, bmdi = bi - di;
        t0r = apcr + bpdr;
        t0i = apci + bpdi;
        t1r = amcr + bmdi;
        t1i = amci - bmdr;
        t2r = apcr - bpdr;
        t2i = apci - bpdi;
        t3r = amcr - bmdi;
        t3i = amci + bmdr;
    }
};

template <typename T>
inline void Rotate(T& r, T& i, T wr, T wi)
{
    const T nr = r * wr - i * wi;
    i = r * wi + i * wr;
    r = nr;
}

// Bins k and M-k of the real spectrum from Z[k] and Z[M-k]:
// X[k] = E + W^k O, X[M-k] = conj(E - W^k O), with E = (Z[k] + conj Z[M-k])/2
// and O = -i (Z[k] - conj Z[M-k])/2. T is double or Double2 (two k at once).
template <typename T>
inline void SplitBins(T ar, T ai, T br, T bi, T c, T s, T& xr, T& xi, T& yr, T& yi)
{
    const T er = 0.5 * (ar + br), ei = 0.5 * (ai - bi);
    const T orr = 0.5 * (ai + bi), oi = 0.5 * (br - ar);
    const T wr = c * orr + s * oi;
    const T wi = c * oi - s * orr;
    xr = er + wr;
    xi = ei + wi;
    yr = er - wr;
    yi = wi - ei;
}

// The inverse of SplitBins, doubled and conjugated: from X[k] and X[M-k],
// conj(2 Z[k]) and conj(2 Z[M-k]).
template <typename T>
inline void MergeBins(T pr, T pi, T qr, T qi, T c, T s, T& zr, T& zi, T& yr, T& yi)
{
    qi = -qi; // q = conj X[M-k]
    const T er = pr + qr, ei = pi + qi;
    const T dr = pr - qr, di = pi - qi;
    const T orr = c * dr - s * di;
    const T oi = c * di + s * dr;
    zr = er - oi;
    zi = -(ei + orr);
    yr = er + oi;
    yi = ei - orr;
}
