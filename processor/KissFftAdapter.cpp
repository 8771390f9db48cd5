#include "KissFftAdapter.h"

#include <complex>
#include <new>
#include <vector>

#include <kissfft.hh>

namespace kissadapter
{

struct kiss_fft_state
{
    kiss_fft_state(int nfft, bool inverse) : fft(static_cast<std::size_t>(nfft), inverse), size(nfft) {}
    kissfft<float> fft;
    int size;
};

namespace
{
static_assert(sizeof(kiss_fft_cpx) == sizeof(std::complex<float>), "same layout as std::complex<float>");

const std::complex<float>* asComplex(const kiss_fft_cpx* p)
{
    return reinterpret_cast<const std::complex<float>*>(p);
}

std::complex<float>* asComplex(kiss_fft_cpx* p)
{
    return reinterpret_cast<std::complex<float>*>(p);
}
} // namespace

kiss_fft_cfg kiss_fft_alloc(int nfft, int inverse, void* mem, std::size_t* lenmem)
{
    if (mem)
    {
        if (lenmem)
            *lenmem = 0;
        return nullptr;
    }
    if (nfft < 1)
        return nullptr;
    try
    {
        return new kiss_fft_state(nfft, inverse != 0);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

void kiss_fft(kiss_fft_cfg cfg, const kiss_fft_cpx* in, kiss_fft_cpx* out)
{
    if (!cfg || !in || !out)
        return;
    if (in == out)
    {
        // The recursive transform reads its input while it writes the output.
        const std::vector<kiss_fft_cpx> copy(in, in + cfg->size);
        cfg->fft.transform(asComplex(copy.data()), asComplex(out));
        return;
    }
    cfg->fft.transform(asComplex(in), asComplex(out));
}

void kiss_fft_free(kiss_fft_cfg cfg)
{
    delete cfg;
}

} // namespace kissadapter
