// The left-looking kernel of the forward elimination, written once over a vector type V of W
// doubles; included only by the files that compile it for one instruction set each.
//
// Row j is held in registers while it gathers its updates from the rows i = j - nBand + 1 ..
// j - 1 in increasing order: the same operations, in the same order, as the right-looking kernel
// gives it, entry by entry,
//   A(j, n) = A(j, n) - q(i, j) * u(i, n)   for the nodes n = j .. i + nBand - 1,
// where q(i, j) = u(i, j) / u(i, i) is row i's multiplier and u(i, .) row i as it stood when it
// was final, before its multipliers replaced it.
//
// Registers and rows are laid out by node, not by column: lane l of register k of row j holds
// the entry of node base(j) + k W + l, base(j) being j rounded down to a multiple of V::kAlign
// (32 bytes' worth of doubles). So the registers of row j and of any row i above it cover nodes
// that line up: every load of row i is aligned to 32 bytes, and row i's band ends in the same
// lane for every row it updates. The lanes left of a row's diagonal carry nothing and are never
// stored. The last 32 rows u(i, .) and their multipliers are kept in rings in the same layout;
// masks keep every lane past the end of row i's band as it is.
//
// Where the registers hold them, rows go in pairs j, j + 1 (j even) that share their base: both
// take their updates from the rows above from the same loads, so that two chains of
// subtractions run side by side, and then row j + 1 the one from row j out of row j's
// registers. The second row of a pair is finished amid the next pair's updates from the rows
// above, so that the wait for its pivot overlaps with work that does not need it. The rows
// above fall into runs that update the same number of registers, so the loops over them carry
// no tests. The right-hand side takes the same updates, as scalars, or both of a pair in one
// register.
#pragma once

namespace {

// The helpers are inlined into the loop over the pairs, so that the rows stay in registers.
#define MEMBRANE_KERNEL_INLINE inline __attribute__((always_inline))

constexpr int kMaxBandColumns = 33;  // m_nBand of the largest mesh
constexpr int kWindow = 32;          // rows that update a row: j - 32 .. j - 1 at most
constexpr int kRingRow = 64;         // a row's registers, and room for the loads past them

// kChunks registers hold a row whose diagonal may sit in any lane of the first one.
template <class V, bool kCarryRhs, int kChunks>
class LeftLooking {
public:
    static constexpr int W = V::kWidth;
    using Reg = typename V::Reg;
    static_assert(kChunks * W + W <= kRingRow);
    static_assert(V::kAlign % 2 == 0, "a pair lies within one base");
    // A pair, the second row of the pair before it, still unfinished, and four more registers.
    static constexpr bool kPairs = 3 * kChunks + 4 <= V::kRegisters;

    LeftLooking(double* k, int stride, double* w, int nNode, int nBand)
        : m_k(k), m_stride(stride), m_w(w), m_nNode(nNode), m_nBand(nBand)
    {
        // A row fills its slot's first kChunks registers before any row reads it; the loads
        // of a row's last register may reach one register further, into lanes no mask lets
        // through, which are set once here.
        for (int slot = 0; slot < kWindow; ++slot)
            for (int l = kChunks * W; l < kChunks * W + W; ++l)
                m_ring[slot * kRingRow + l] = 0.0;
    }

    void Run()
    {
        if constexpr (!kPairs) {
            for (int j = 1; j <= m_nNode; ++j)
                Alone(j);
        } else {
            // Row 1 alone, then the pairs from row 2 on, then a last row left over.
            int j = 1;
            if (j <= m_nNode)
                Alone(j++);
            Row pending{};
            bool hasPending = false;
            for (; j + 1 <= m_nNode; j += 2) {
                Row rows[2];
                Pair(rows, j, pending, hasPending);
                pending = rows[1];
                hasPending = true;
            }
            if (hasPending)
                Finish(pending, j - 1);
            if (j <= m_nNode)
                Alone(j);
        }
    }

private:
    struct Row {
        Reg acc[kChunks];
        double w;  // the right-hand side
    };

    static int Base(int j) { return j - j % V::kAlign; }

    MEMBRANE_KERNEL_INLINE void Alone(int j)
    {
        Row row;
        Load(row, j);
        const int first = j - m_nBand + 1 > 1 ? j - m_nBand + 1 : 1;
        __m128d unused = _mm_setzero_pd();
        Runs<1, 1>(&row, unused, first, j, j - 1);
        Finish(row, j);
    }

    // Rows j and j + 1, j even. Row j - 1, the second row of the pair before, is finished once
    // the updates from the rows above it are done; row j + 1 is left to the next pair.
    MEMBRANE_KERNEL_INLINE void Pair(Row (&rows)[2], int j, Row& previous, bool hasPrevious)
    {
        Load(rows[0], j);
        Load(rows[1], j + 1);
        // In a band of two columns the first row above is row j - 1 itself.
        if (hasPrevious && m_nBand <= 2) {
            Finish(previous, j - 1);
            hasPrevious = false;
        }
        // Row j + r is reached from row j + r - nBand + 1 on: the first row above reaches only
        // row j, and its band ends in the first register.
        const int top = j - m_nBand + 1;
        __m128d unused = _mm_setzero_pd();
        if (top >= 1)
            Update<1, 1>(&rows[0], unused, top, j);
        const int first = top + 1 > 1 ? top + 1 : 1;
        __m128d pairRhs = _mm_set_pd(rows[1].w, rows[0].w);
        int i = Runs<1, 2>(rows, pairRhs, first, j, j - 2);
        if (hasPrevious)
            Finish(previous, j - 1);
        Runs<1, 2>(rows, pairRhs, i, j, j - 1);
        rows[0].w = _mm_cvtsd_f64(pairRhs);
        rows[1].w = _mm_cvtsd_f64(_mm_unpackhi_pd(pairRhs, pairRhs));
        // Row j is final: it leaves its pivot and multipliers, then updates row j + 1 from the
        // registers.
        const Reg q = Finish(rows[0], j);
        UpdateFromAbove(rows[1], rows[0], q, j);
    }

    // The nodes j .. j + nBand - 1 of row j, from its band storage, into their lanes.
    MEMBRANE_KERNEL_INLINE void Load(Row& row, int j) const
    {
        const int lead = j - Base(j);
        const double* const src = m_k + j * m_stride + 1 - lead;
        row.acc[0] = V::LoadBetween(src, lead, lead + m_nBand);
        for (int c = 1; c < kChunks; ++c)
            row.acc[c] = V::LoadFirst(src + c * W, lead + m_nBand - c * W);
        row.w = kCarryRhs ? m_w[j] : 0.0;
    }

    // Rows j .. j + R - 1 less q(i, .) times row i, all from the same loads. Row i's band ends
    // at node i + nBand - 1, in register kUsed - 1 of the rows' layout: the registers before it
    // take the update whole, that one in its first lanes. pairRhs holds the right-hand sides of
    // a pair (R = 2), lane r for row j + r, so that one product and one difference serve both.
    template <int kUsed, int R>
    MEMBRANE_KERNEL_INLINE void Update(Row* rows, __m128d& pairRhs, int i, int j) const
    {
        const int base = Base(j);
        const int at = m_origin[i % kWindow];            // node n of row i: at + n
        // at alone may lie before the ring's start; the sums never do.
        const double* const u = m_ring + (at + base);      // the nodes of row j's registers
        const double* const q = m_multipliers + (at + j);  // q(i, j), q(i, j + 1), ...
        Reg vq[R];
        for (int r = 0; r < R; ++r)
            vq[r] = V::Broadcast(q[r]);
        for (int c = 0; c < kUsed - 1; ++c) {
            const Reg uc = V::Load(u + c * W);
            for (int r = 0; r < R; ++r)
                rows[r].acc[c] = V::Sub(rows[r].acc[c], V::Mul(vq[r], uc));
        }
        constexpr int kLast = kUsed - 1;
        const int lanes = i + m_nBand - base - kLast * W;  // 1..W
        const Reg uc = V::Load(u + kLast * W);
        for (int r = 0; r < R; ++r)
            rows[r].acc[kLast] = V::SubFew(rows[r].acc[kLast], V::Mul(vq[r], uc), lanes);
        if constexpr (kCarryRhs) {
            const double undivided = m_undivided[i % kWindow];
            if constexpr (R == 2) {
                pairRhs = _mm_sub_pd(pairRhs, _mm_mul_pd(_mm_loadu_pd(q), _mm_set1_pd(undivided)));
            } else {
                for (int r = 0; r < R; ++r)
                    rows[r].w = rows[r].w - q[r] * undivided;
            }
        }
    }

    // The rows i up to `stop` whose band ends in register kUsed - 1 of row j's layout; then the
    // next run. Returns the first row i not done.
    template <int kUsed, int R>
    MEMBRANE_KERNEL_INLINE int Runs(Row* rows, __m128d& pairRhs, int i, int j, int stop) const
    {
        // end = i + nBand - 1 - base lies in register kUsed - 1 while i <= runEnd.
        const int runEnd = Base(j) - m_nBand + kUsed * W;
        const int last = runEnd < stop ? runEnd : stop;
#pragma GCC unroll 2
        for (; i <= last; ++i)
            Update<kUsed, R>(rows, pairRhs, i, j);
        if constexpr (kUsed < kChunks) {
            if (i <= stop)
                return Runs<kUsed + 1, R>(rows, pairRhs, i, j, stop);
        }
        return i;
    }

    // Row j + 1 less q times row j, straight from row j's registers; the multiplier from lane
    // lead + 1 of q, the first register of row j's multipliers.
    MEMBRANE_KERNEL_INLINE void UpdateFromAbove(Row& row, const Row& above, Reg q, int j) const
    {
        const int lead = j - Base(j);
        const int end = lead + m_nBand - 1;
        if (m_nBand <= 1)
            return;  // a band of one column: the rows do not couple
        const Reg vq = V::BroadcastLane(q, lead + 1);
        for (int c = 0; c < kChunks; ++c)
            row.acc[c] = V::SubFirst(row.acc[c], V::Mul(vq, above.acc[c]), end + 1 - c * W);
        if constexpr (kCarryRhs)
            row.w = row.w - V::First(vq) * above.w;
    }

    // Row j is final: keep it and its multipliers for the rows below, then leave its pivot and
    // multipliers in the band. A node beyond the last one has no multiplier: its entry stays.
    // Returns the first register of the multipliers.
    MEMBRANE_KERNEL_INLINE Reg Finish(const Row& row, int j)
    {
        const int lead = j - Base(j);
        const int start = (j % kWindow) * kRingRow;
        m_origin[j % kWindow] = start - Base(j);
        double* const slot = m_ring + start;
        double* const multipliers = m_multipliers + start;
        for (int c = 0; c < kChunks; ++c)
            V::Store(slot + c * W, row.acc[c]);
        const Reg p = V::BroadcastLane(row.acc[0], lead);
        const double pivot = V::First(p);
        const int coupled = lead + (m_nNode - j + 1);  // lanes below this reach a node
        double* const dst = m_k + j * m_stride + 1 - lead;
        Reg first = p;
        for (int c = 0; c < kChunks; ++c) {
            const Reg q = V::SelectFirst(V::Div(row.acc[c], p), row.acc[c], coupled - c * W);
            V::Store(multipliers + c * W, q);
            if (c == 0) {
                V::StoreBetween(dst, q, lead + 1, lead + m_nBand);
                first = q;
            } else {
                V::StoreFirst(dst + c * W, q, lead + m_nBand - c * W);
            }
        }
        dst[lead] = pivot;
        if constexpr (kCarryRhs) {
            m_undivided[j % kWindow] = row.w;
            m_w[j] = row.w / pivot;
        }
        return first;
    }

    double* const m_k;
    const int m_stride;
    double* const m_w;
    const int m_nNode;
    const int m_nBand;
    // Row i in slot i % kWindow, node n at m_origin[i % kWindow] + n: its entries as they stood
    // when final, and its multipliers.
    alignas(64) double m_ring[kWindow * kRingRow];
    alignas(64) double m_multipliers[kWindow * kRingRow];
    int m_origin[kWindow] = {};
    double m_undivided[kWindow];  // m_W[i] before its division by the pivot
};

// The instance whose registers just hold a row of nBand columns that starts in any lane.
template <class V, int kChunks = 1>
void EliminateLeftLooking(double* k, int stride, double* w, int nNode, int nBand, bool carryRhs)
{
    if constexpr ((kChunks - 1) * V::kWidth + 1 < kMaxBandColumns) {
        if (nBand + V::kAlign - 1 > kChunks * V::kWidth) {
            EliminateLeftLooking<V, kChunks + 1>(k, stride, w, nNode, nBand, carryRhs);
            return;
        }
    }
    if (carryRhs)
        LeftLooking<V, true, kChunks>(k, stride, w, nNode, nBand).Run();
    else
        LeftLooking<V, false, kChunks>(k, stride, w, nNode, nBand).Run();
}

#undef MEMBRANE_KERNEL_INLINE

}  // namespace
