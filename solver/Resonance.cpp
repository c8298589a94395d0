// Spectrum slicing of the constrained membrane: pivot counts, brackets and their bisection.
#include "solver/Resonance.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

namespace {

// Beyond this the element matrix overflows; no mesh of the accepted sizes resonates so high.
constexpr double kHighestAlpha = 1e100;
// Neighbouring doubles tried when a pivot vanishes exactly; one is always enough in practice.
constexpr int kNudges = 64;

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
    char text[40];
    for (int digits = 1; digits <= 17; ++digits) {
        const auto written =
            std::to_chars(text, text + sizeof text, mid, std::chars_format::scientific, digits - 1);
        double value = 0.0;
        std::from_chars(text, written.ptr, value);
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
    const ModeSearch& how;
    std::int32_t first, last;
    std::vector<double>& modes;  // modes[k - first]; each written by the one bracket that ends it

    bool HasTargets(const Bracket& br) const
    {
        return std::max(br.ca + 1, first) <= std::min(br.cb, last);
    }

    // Either ends the bracket, writing its resonances, or splits it at its midpoint.
    std::vector<Bracket> Split(const Bracket& br, ModeCounter& counter) const
    {
        if (!Converged(br.a, br.b, how.tolerance)) {
            const ModeCounter::Slice s = counter.CountBelow(Midpoint(br.a, br.b));
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
        const double mode = ShortestIn(br.a, br.b);
        for (std::int32_t k = std::max(br.ca + 1, first); k <= std::min(br.cb, last); ++k)
            modes[k - first] = mode;
        return {};
    }

    // The first brackets: between the known counts, 0 and 1, 2, 4, ... up to an alpha with at
    // least `last` resonances below it.
    std::vector<Bracket> FirstBrackets() const
    {
        std::vector<ModeCounter::Slice> samples = how.known;
        samples.push_back({0.0, 0});
        std::sort(samples.begin(), samples.end(),
                  [](const auto& x, const auto& y) { return x.alpha < y.alpha; });
        ModeCounter counter(how.divX, how.divY);
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
        ModeCounter counter(how.divX, how.divY);
        Bracket br;
        while (queue.Take(br))
            queue.Return(Split(br, counter));
    }
};

}  // namespace

std::int32_t ModeCount(std::int32_t divX, std::int32_t divY)
{
    return (divX - 1) * (divY + 1);
}

std::int32_t ModesBelow(const MembraneModel& factored, const BandInertia& inertia)
{
    // Every prescribed node is a row and a column of the identity: one pivot 1.0 each.
    std::int32_t fixed = 0;
    for (int e = 1; e <= factored.m_nBound; ++e)
        if (factored.m_bndKind[e] != BND_NATURAL)
            ++fixed;
    return inertia.positive - fixed;
}

ModeCounter::ModeCounter(std::int32_t divX, std::int32_t divY)
    : m_model(std::make_unique<MembraneModel>())
{
    m_model->m_nDivX = divX;
    m_model->m_nDivY = divY;
    m_model->DeriveCounts();
    m_model->BuildBoundaryTable();
}

ModeCounter::Slice ModeCounter::CountBelow(double alpha)
{
    alpha = std::fabs(alpha);
    BandInertia inertia;
    for (int nudge = 0; nudge <= kNudges; ++nudge) {
        m_model->m_dAlpha = alpha;
        m_model->ZeroSystem();
        m_model->AssembleElements();
        m_model->ApplyBoundary();
        m_model->FactorBand();
        inertia = m_model->PivotInertia();
        if (inertia.firstBadRow == 0)
            break;
        alpha = std::nextafter(alpha, kHighestAlpha);
    }
    return {alpha, ModesBelow(*m_model, inertia)};
}

std::vector<double> FindModes(const ModeSearch& how, std::int32_t first, std::int32_t last)
{
    std::vector<double> modes(static_cast<std::size_t>(last - first + 1), 0.0);
    const Search search{how, first, last, modes};
    BracketQueue queue(search.FirstBrackets());
    std::vector<std::thread> workers;
    for (int t = 1; t < how.threads; ++t)
        workers.emplace_back([&] { search.Work(queue); });
    search.Work(queue);
    for (std::thread& w : workers)
        w.join();
    return modes;
}

std::vector<ResonanceInInterval> FindModesIn(const ModeSearch& how, double a0, double a1)
{
    ModeCounter counter(how.divX, how.divY);
    // The resonances a' with lo <= a' < hi, as numbers first..last.
    auto numbers = [&](double lo, double hi) {
        return std::pair{counter.CountBelow(lo).below + 1, counter.CountBelow(hi).below};
    };
    std::vector<ResonanceInInterval> found;
    if (a0 < 0.0) {
        const auto [first, last] = numbers(std::max(0.0, -a1), -a0);
        if (first <= last) {
            const std::vector<double> modes = FindModes(how, first, last);
            for (std::int32_t k = last; k >= first; --k)
                found.push_back({k, -modes[k - first]});
        }
    }
    if (a1 > 0.0) {
        const auto [first, last] = numbers(std::max(0.0, a0), a1);
        if (first <= last) {
            const std::vector<double> modes = FindModes(how, first, last);
            for (std::int32_t k = first; k <= last; ++k)
                found.push_back({k, modes[k - first]});
        }
    }
    return found;
}
