#pragma once

#include <complex>
#include <cstddef>

struct fftwf_plan_s;

namespace vantor {

// A discrete Fourier transform of real data of one fixed length, on FFTW's
// single-precision planner. Forward turns Input() into Size()/2 + 1 complex
// Bins(); Inverse turns Bins() back into Input(), scaled by Size() and
// overwriting the bins.
class RealFft {
public:
    explicit RealFft(size_t size);
    ~RealFft();
    RealFft(const RealFft&) = delete;
    RealFft& operator=(const RealFft&) = delete;

    size_t Size() const { return m_size; }
    size_t BinCount() const { return m_size / 2 + 1; }
    float* Input() { return m_real; }
    std::complex<float>* Bins() { return m_bins; }

    void Forward();
    void Inverse();

private:
    size_t m_size;
    float* m_real = nullptr;
    std::complex<float>* m_bins = nullptr;
    fftwf_plan_s* m_forward = nullptr;
    fftwf_plan_s* m_inverse = nullptr;
};

}  // namespace vantor
