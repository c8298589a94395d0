// The long work off the page's thread, in the same module: a sweep, point block by point block,
// each block's CSV rows and the progress posted back; or a convergence study, posted whole. The
// page ends either by terminating the worker.
import MembraneModule from "./membrane.js";

const ready = MembraneModule();

function sweep(module, { divx, divy, range, option, scheme }) {
  const fault = module.UTF8ToString(module.ccall(
    "membrane_sweep_setup", "number", ["number", "number", "string", "number", "string"],
    [divx, divy, range, option ? 1 : 0, scheme]));
  if (fault) {
    self.postMessage({ kind: "fault", text: fault });
    return;
  }
  const total = module._membrane_sweep_points();
  let done = 0;
  for (;;) {
    const rows = module.UTF8ToString(module._membrane_sweep_next(256));
    if (!rows)
      break;
    if (rows.startsWith("error: ")) {
      self.postMessage({ kind: "fault", text: rows.slice(7) });
      return;
    }
    done = Math.min(total, done + 256);
    self.postMessage({ kind: "rows", rows, done, total });
  }
  const lines = module.UTF8ToString(module._membrane_sweep_lines());
  self.postMessage({ kind: "done", lines });
}

function study(module, { of, alpha, modes, ladder, scheme }) {
  const text = module.UTF8ToString(module.ccall(
    "membrane_study", "number", ["number", "string", "string", "string", "string"],
    [of === "resonances" ? 1 : 0, alpha, modes, ladder, scheme]));
  self.postMessage(text.startsWith("error: ")
    ? { kind: "fault", text: text.slice(7) }
    : { kind: "done", csv: text, note: module.UTF8ToString(module._membrane_study_note()) });
}

self.onmessage = async (event) => {
  const module = await ready;
  (event.data.kind === "study" ? study : sweep)(module, event.data);
};
