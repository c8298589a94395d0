// membrane_timing for Python: the compute command alone, repeated on one record, so that the
// benchmark of the module's own cost has the command's time to set it against. Not installed.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "command/ComputeCommand.h"
#include "command/LowestResonances.h"
#include "command/RunArguments.h"
#include "solver/SizedRecord.h"
#include "solver/SparseFactor.h"

namespace py = pybind11;

namespace {

// Drops everything, as the module's sink keeps the value lines unformatted.
class DroppingSink final : public ReportSink {
public:
    void ResetList() override {}
    void AddLine(std::string_view) override {}
    void AddValueLines(const NodalField&, ValueFormat) override {}
    void RequestRepaint() override {}
    void SetTable(std::string) override {}
};

double NativeSolveSeconds(int divX, int divY, double alpha, bool option, int repeats)
{
    const py::gil_scoped_release release;
    static const std::unique_ptr<MembraneModel> record = std::make_unique<MembraneModel>();
    record->m_bOption = option ? 1 : 0;
    DroppingSink sink;
    const auto t0 = std::chrono::steady_clock::now();
    for (int k = 0; k < repeats; ++k)
        RunComputeValues(*record, {divX, divY, alpha}, sink);
    const std::chrono::duration<double> t = std::chrono::steady_clock::now() - t0;
    return t.count() / repeats;
}

// The record of divX x divY at alpha with the boundary conditions imposed, as the solve takes it.
std::unique_ptr<SizedRecord> Constrained(int divX, int divY, double alpha, bool option)
{
    auto record = std::make_unique<SizedRecord>(divX, divY);
    record->m_dAlpha = alpha;
    record->m_bOption = option ? 1 : 0;
    record->BuildBoundaryTable();
    record->ZeroSystem();
    record->AssembleElements();
    record->ApplyBoundary();
    return record;
}

// The seconds of the solve of a record sized to the mesh, the constrained system given, in the
// form named ("band" or "sparse"), and the solution.
py::tuple SizedSolveSeconds(int divX, int divY, double alpha, bool option, const std::string& form)
{
    const std::unique_ptr<SizedRecord> record = Constrained(divX, divY, alpha, option);
    std::chrono::duration<double> t{};
    {
        const py::gil_scoped_release release;
        const auto t0 = std::chrono::steady_clock::now();
        if (form == "sparse")
            SparseFactor().SolveRecordSystem(*record);
        else
            record->SolveBand();
        t = std::chrono::steady_clock::now() - t0;
    }
    py::array_t<double> w(record->m_nNode);
    std::copy(record->m_W + 1, record->m_W + 1 + record->m_nNode, w.mutable_data());
    return py::make_tuple(t.count(), w);
}

// The whole rows (both triangles) of the constrained matrix of a record over the nodes
// first..last, renumbered from 0.
std::vector<std::vector<std::pair<int, double>>> Rows(const SizedRecord& r, int first, int last)
{
    std::vector<std::vector<std::pair<int, double>>> out(last - first + 1);
    for (int row = first; row <= last; ++row)
        for (int m = 1; m <= r.m_nBand && row + m - 1 <= last; ++m)
            if (const double v = r.m_K[row][m]; v != 0.0) {
                out[row - first].push_back({row + m - 1 - first, v});
                if (m > 1)
                    out[row + m - 1 - first].push_back({row - first, v});
            }
    return out;
}

// The rows as (data, indices, indptr) of compressed sparse rows, the values times scale.
py::tuple Csr(std::vector<std::vector<std::pair<int, double>>> rows, double scale)
{
    std::vector<double> data;
    std::vector<int> indices, indptr{0};
    for (auto& entries : rows) {
        std::sort(entries.begin(), entries.end());
        for (const auto& [column, v] : entries) {
            indices.push_back(column);
            data.push_back(scale * v);
        }
        indptr.push_back(static_cast<int>(indices.size()));
    }
    return py::make_tuple(py::array_t<double>(data.size(), data.data()),
                          py::array_t<int>(indices.size(), indices.data()),
                          py::array_t<int>(indptr.size(), indptr.data()));
}

// The constrained system in compressed sparse rows, with its right-hand side: what a peer
// solver takes.
py::tuple ConstrainedSystem(int divX, int divY, double alpha, bool option)
{
    const std::unique_ptr<SizedRecord> r = Constrained(divX, divY, alpha, option);
    const py::tuple csr = Csr(Rows(*r, 1, r->m_nNode), 1.0);
    std::vector<double> rhs(r->m_W + 1, r->m_W + 1 + r->m_nNode);
    return py::make_tuple(csr[0], csr[1], csr[2], py::array_t<double>(rhs.size(), rhs.data()));
}

// The rows of the constrained matrix at alpha over the free nodes, columns 1..divX - 1.
std::vector<std::vector<std::pair<int, double>>> FreeRows(int divX, int divY, double alpha)
{
    const std::unique_ptr<SizedRecord> r = Constrained(divX, divY, alpha, false);
    return Rows(*r, divY + 2, divX * (divY + 1));
}

// K and M of the free nodes from the solver's own assembly: the constrained matrix is
// alpha^2 M - K, so K is minus it at alpha 0, and M the difference of alpha 1 and alpha 0.
py::tuple FreePencil(int divX, int divY)
{
    auto k = FreeRows(divX, divY, 0.0), m1 = FreeRows(divX, divY, 1.0);
    std::vector<std::vector<std::pair<int, double>>> m(k.size());
    for (std::size_t r = 0; r < k.size(); ++r)
        for (std::size_t c = 0; c < k[r].size(); ++c)
            m[r].push_back({k[r][c].first, m1[r][c].second - k[r][c].second});
    return py::make_tuple(Csr(k, -1.0), Csr(m, 1.0));
}

// The seconds of the n lowest resonances as --modes finds them, and the alphas.
py::tuple LowestResonancesSeconds(int divX, int divY, int n)
{
    std::vector<double> alphas;
    std::chrono::duration<double> t{};
    {
        const py::gil_scoped_release release;
        const auto t0 = std::chrono::steady_clock::now();
        alphas = LowestResonances(MeshSearch(divX, divY, EveryProcessor()), n);
        t = std::chrono::steady_clock::now() - t0;
    }
    return py::make_tuple(t.count(), py::array_t<double>(alphas.size(), alphas.data()));
}

}  // namespace

PYBIND11_MODULE(membrane_timing, m)
{
    m.def("free_pencil", &FreePencil, py::arg("divx"), py::arg("divy"),
          "K and M of the free nodes, each as (data, indices, indptr) in compressed sparse rows.");
    m.def("lowest_resonances_seconds", &LowestResonancesSeconds, py::arg("divx"), py::arg("divy"),
          py::arg("n"), "The seconds of the n lowest resonances as --modes finds them, and them.");
    m.def("sized_solve_seconds", &SizedSolveSeconds, py::arg("divx"), py::arg("divy"),
          py::arg("alpha"), py::arg("option"), py::arg("form"),
          "The seconds of the solve in the form named, band or sparse, and the solution.");
    m.def("constrained_system", &ConstrainedSystem, py::arg("divx"), py::arg("divy"),
          py::arg("alpha"), py::arg("option"),
          "The constrained system as (data, indices, indptr, rhs) in compressed sparse rows.");
    m.def("native_solve_seconds", &NativeSolveSeconds, py::arg("divx"), py::arg("divy"),
          py::arg("alpha"), py::arg("option"), py::arg("repeats"),
          "The seconds of one solve by the compute command alone, without the binding.");
}
