// The sweep off the page's thread: the same module, point block by point block, each block's
// CSV rows and the progress posted back; the page ends it by terminating the worker.
import MembraneModule from "./membrane.js";

const ready = MembraneModule();

self.onmessage = async (event) => {
  const module = await ready;
  const { divx, divy, range, option } = event.data;
  const fault = module.UTF8ToString(module.ccall(
    "membrane_sweep_setup", "number", ["number", "number", "string", "number"],
    [divx, divy, range, option ? 1 : 0]));
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
    done = Math.min(total, done + 256);
    self.postMessage({ kind: "rows", rows, done, total });
  }
  const lines = module.UTF8ToString(module._membrane_sweep_lines());
  self.postMessage({ kind: "done", lines });
};
