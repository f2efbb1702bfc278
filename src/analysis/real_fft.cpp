#include "analysis/real_fft.h"

#include <fftw3.h>

#include <mutex>

namespace vantor {

namespace {

// FFTW's planner keeps global state; only executing a plan is thread-safe,
// and songs are analysed on several threads at once.
std::mutex& PlannerLock() {
    static std::mutex lock;
    return lock;
}

}  // namespace

RealFft::RealFft(size_t size) : m_size(size < 2 ? 2 : size) {
    std::lock_guard<std::mutex> hold(PlannerLock());
    m_real = fftwf_alloc_real(m_size);
    auto* bins = fftwf_alloc_complex(BinCount());
    m_bins = reinterpret_cast<std::complex<float>*>(bins);
    const int n = static_cast<int>(m_size);
    // Estimated plans: measuring would cost more than the few transforms of
    // one song save.
    m_forward = fftwf_plan_dft_r2c_1d(n, m_real, bins, FFTW_ESTIMATE);
    m_inverse = fftwf_plan_dft_c2r_1d(n, bins, m_real, FFTW_ESTIMATE);
}

RealFft::~RealFft() {
    std::lock_guard<std::mutex> hold(PlannerLock());
    fftwf_destroy_plan(m_forward);
    fftwf_destroy_plan(m_inverse);
    fftwf_free(m_bins);
    fftwf_free(m_real);
}

void RealFft::Forward() { fftwf_execute(m_forward); }

void RealFft::Inverse() { fftwf_execute(m_inverse); }

}  // namespace vantor
