// Spectrum slicing of the constrained membrane: pivot counts, brackets and their bisection.
#include "solver/Resonance.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <utility>

#include "solver/DecimalDigits.h"
#include "solver/WorkThreads.h"

namespace {

// Beyond this the element matrix overflows; no mesh of the accepted sizes resonates so high.
constexpr double kHighestAlpha = 1e100;

// [a, b] holds the resonances number ca + 1 .. cb: ca = count below a, cb = count below b.
struct Bracket {
    double a;
    double b;
    std::int32_t ca;
    std::int32_t cb;
};

bool Converged(double a, double b, double tolerance)
{
    return b - a <= std::max(1e-12 * b, tolerance) || std::nextafter(a, b) >= b;
}

double Midpoint(double a, double b)
{
    return a + (b - a) * 0.5;
}

// The double in [a, b] with the fewest significant digits, nearest the midpoint among those:
// every one of them is as good an answer, and this one reads best.
double ShortestIn(double a, double b)
{
    const double mid = Midpoint(a, b);
    for (int digits = 1; digits <= 17; ++digits) {
        const double value = RoundedToDigits(mid, digits);
        if (value >= a && value <= b)
            return value;
    }
    return mid;
}

// The brackets still to split, shared by the workers; a worker takes one, splits it and hands
// back its halves. The work ends when none is left and no worker holds one.
class BracketQueue {
public:
    explicit BracketQueue(std::vector<Bracket> brackets) : m_pending(std::move(brackets)) {}

    bool Take(Bracket& bracket)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_pending.empty() || m_busy == 0; });
        if (m_pending.empty())
            return false;
        bracket = m_pending.back();
        m_pending.pop_back();
        ++m_busy;
        return true;
    }

    void Return(const std::vector<Bracket>& halves)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_pending.insert(m_pending.end(), halves.begin(), halves.end());
            --m_busy;
        }
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Bracket> m_pending;
    int m_busy = 0;
};

struct Search {
    const ResonanceSearch& how;
    std::int32_t first, last;
    std::vector<double>& alphas;  // alphas[k - first]; each written by the one bracket that ends it

    bool HasTargets(const Bracket& br) const
    {
        return std::max(br.ca + 1, first) <= std::min(br.cb, last);
    }

    // Either ends the bracket, writing its resonances, or splits it at its midpoint.
    std::vector<Bracket> Split(const Bracket& br, ResonanceCounter& counter) const
    {
        if (!Converged(br.a, br.b, how.tolerance)) {
            const ResonanceCounter::Slice s = counter.CountBelow(Midpoint(br.a, br.b));
            if (s.alpha < br.b) {
                // Rounding can make the count step back by one near a resonance; keep the
                // halves ordered.
                const std::int32_t c = std::clamp(s.below, br.ca, br.cb);
                std::vector<Bracket> halves;
                for (const Bracket& half : {Bracket{br.a, s.alpha, br.ca, c},
                                            Bracket{s.alpha, br.b, c, br.cb}})
                    if (HasTargets(half))
                        halves.push_back(half);
                return halves;
            }
        }
        const double alpha = ShortestIn(br.a, br.b);
        for (std::int32_t k = std::max(br.ca + 1, first); k <= std::min(br.cb, last); ++k)
            alphas[k - first] = alpha;
        return {};
    }

    // The first brackets: between the known counts, 0 and 1, 2, 4, ... up to an alpha with at
    // least `last` resonances below it.
    std::vector<Bracket> FirstBrackets() const
    {
        std::vector<ResonanceCounter::Slice> samples = how.known;
        samples.push_back({0.0, 0});
        std::sort(samples.begin(), samples.end(),
                  [](const auto& x, const auto& y) { return x.alpha < y.alpha; });
        ResonanceCounter counter(how.divX, how.divY, how.scheme);
        for (double b = 1.0; samples.back().below < last && b < kHighestAlpha; b *= 2.0)
            if (b > samples.back().alpha)
                samples.push_back(counter.CountBelow(b));

        std::vector<Bracket> brackets;
        std::int32_t below = 0;  // counts taken in different places may disagree by rounding
        for (std::size_t i = 1; i < samples.size(); ++i) {
            const Bracket br{samples[i - 1].alpha, samples[i].alpha, below,
                             std::max(below, samples[i].below)};
            below = br.cb;
            if (br.b > br.a && HasTargets(br))
                brackets.push_back(br);
        }
        return brackets;
    }

    void Work(BracketQueue& queue) const
    {
        ResonanceCounter counter(how.divX, how.divY, how.scheme);
        Bracket br;
        while (queue.Take(br))
            queue.Return(Split(br, counter));
    }
};

}  // namespace

ResonanceCounter::ResonanceCounter(std::int32_t divX, std::int32_t divY, Scheme scheme)
    : m_factor(divX, divY, scheme)
{
}

ResonanceCounter::Slice ResonanceCounter::CountBelow(double alpha)
{
    if (m_factor.AboveEveryResonance(alpha))
        return {std::fabs(alpha), m_factor.Resonances()};
    const ShiftedFactor::Factored f = m_factor.FactorNear(std::fabs(alpha), kHighestAlpha);
    return {f.alpha, m_factor.ResonancesBelow(f.inertia)};
}

std::vector<double> FindResonances(const ResonanceSearch& how, std::int32_t first,
                                   std::int32_t last)
{
    std::vector<double> alphas(static_cast<std::size_t>(last - first + 1), 0.0);
    const Search search{how, first, last, alphas};
    BracketQueue queue(search.FirstBrackets());
    // Every thread takes brackets until none is left.
    OnThreads(how.threads, static_cast<std::size_t>(how.threads),
              [&](int) { search.Work(queue); });
    return alphas;
}

std::vector<NumberedResonance> FindResonancesIn(const ResonanceSearch& how, double a0,
                                                double a1)
{
    ResonanceCounter counter(how.divX, how.divY, how.scheme);
    // The resonances a' with lo <= a' < hi, as numbers first..last.
    auto numbers = [&](double lo, double hi) {
        return std::pair{counter.CountBelow(lo).below + 1, counter.CountBelow(hi).below};
    };
    std::vector<NumberedResonance> found;
    if (a0 < 0.0) {
        const auto [first, last] = numbers(std::max(0.0, -a1), -a0);
        if (first <= last) {
            const std::vector<double> alphas = FindResonances(how, first, last);
            for (std::int32_t k = last; k >= first; --k)
                found.push_back({k, -alphas[k - first]});
        }
    }
    if (a1 > 0.0) {
        const auto [first, last] = numbers(std::max(0.0, a0), a1);
        if (first <= last) {
            const std::vector<double> alphas = FindResonances(how, first, last);
            for (std::int32_t k = first; k <= last; ++k)
                found.push_back({k, alphas[k - first]});
        }
    }
    return found;
}

std::pair<std::int32_t, std::int32_t> NumberSpan(const std::vector<NumberedResonance>& listed)
{
    std::int32_t first = listed.front().index, last = first;
    for (const NumberedResonance& r : listed) {
        first = std::min(first, r.index);
        last = std::max(last, r.index);
    }
    return {first, last};
}

std::vector<std::int32_t> Numbers(const std::vector<NumberedResonance>& listed)
{
    std::vector<std::int32_t> numbers;
    for (const NumberedResonance& r : listed)
        numbers.push_back(r.index);
    return numbers;
}
