// The engine: morvavl's own session and trace, compiled to WebAssembly
// (web/Engine.cpp). Bytes go in through the module's memory; answers come
// out as bytes, and each step as JSON.
(function (pg) {
  'use strict';

  const decoder = new TextDecoder();
  const encoder = new TextEncoder();

  class Engine {
    constructor(module) {
      this.module = module;
    }

    static async create() {
      return new Engine(await createEngine());
    }

    // Calls fn with the bytes copied into the module's memory.
    withBytes(bytes, fn) {
      const m = this.module;
      const at = m._malloc(bytes.length + 1);
      if (at === 0) {
        throw new RangeError('the engine has no memory left for these bytes');
      }
      m.HEAPU8.set(bytes, at);
      m.HEAPU8[at + bytes.length] = 0;
      try {
        return fn(at, bytes.length);
      } finally {
        m._free(at);
      }
    }

    // Runs the script: every answer, and the steps of its first `traced`
    // commands. Returns the run's summary.
    run(bytes, traced) {
      const m = this.module;
      this.withBytes(bytes, (at, size) => m._engineRun(at, size, traced));
      this.summary = JSON.parse(m.UTF8ToString(m._engineSummary()));
      const answersAt = m._engineAnswers();
      this.answers = decoder.decode(
        m.HEAPU8.subarray(answersAt, answersAt + m._engineAnswersSize()));
      return this.summary;
    }

    // Step `step` (0: before the first command), its tree drawn `depth`
    // levels deep (0: all), and below the nodes numbered in `expanded`.
    view(step, depth, expanded) {
      const m = this.module;
      const list = encoder.encode(Array.from(expanded).join(','));
      return JSON.parse(this.withBytes(list,
        (at) => m.UTF8ToString(m._engineView(step, depth, at))));
    }

    // The script of a scenario file, or null when it is none.
    scenario(bytes) {
      const m = this.module;
      return this.withBytes(bytes, (at, size) => {
        const script = m._engineScenario(at, size);
        const length = m._engineScenarioSize();
        return length ? m.HEAPU8.slice(script, script + length) : null;
      });
    }

    // Another program's output compared with the answers of the script
    // last run: the verdict (web/VerdictJson.h).
    check(bytes) {
      const m = this.module;
      return JSON.parse(this.withBytes(bytes, (at, size) => m.UTF8ToString(m._engineCheck(at, size))));
    }
  }

  pg.Engine = Engine;
})(globalThis.Playground = globalThis.Playground || {});
