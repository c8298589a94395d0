// membrane_timing for Python: the compute command alone, repeated on one record, so that the
// benchmark of the module's own cost has the command's time to set it against. Not installed.
#include <pybind11/pybind11.h>

#include <chrono>
#include <memory>
#include <string>

#include "command/ComputeCommand.h"

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

}  // namespace

PYBIND11_MODULE(membrane_timing, m)
{
    m.def("native_solve_seconds", &NativeSolveSeconds, py::arg("divx"), py::arg("divy"),
          py::arg("alpha"), py::arg("option"), py::arg("repeats"),
          "The seconds of one solve by the compute command alone, without the binding.");
}
