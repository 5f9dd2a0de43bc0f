// The engine: morvavl's own session, trace and comparison, compiled to
// WebAssembly (web/Engine.cpp). Bytes go in through the module's memory;
// answers come out as bytes, the timeline as arrays read in place, and
// everything else as JSON.
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

    json(pointer) {
      return JSON.parse(this.module.UTF8ToString(pointer));
    }

    // Runs the script once: every answer, and copies of the tree along it.
    run(bytes) {
      const m = this.module;
      this.withBytes(bytes, (at, size) => m._engineRun(at, size));
      this.summary = this.json(m._engineSummary());
      const answersAt = m._engineAnswers();
      this.answers = decoder.decode(
        m.HEAPU8.subarray(answersAt, answersAt + m._engineAnswersSize()));
      return this.summary;
    }

    // Step `step` (0: before the first command) with its sub-steps, its
    // tree drawn `depth` levels deep (0: all) and below the nodes whose keys
    // are in `expanded`.
    view(step, depth, expanded) {
      const m = this.module;
      const list = encoder.encode(Array.from(expanded).join(','));
      return this.withBytes(list, (at) => this.json(m._engineView(step, depth, at)));
    }

    // The textbook twin after step `step`.
    twinView(step, depth, expanded) {
      const m = this.module;
      const list = encoder.encode(Array.from(expanded).join(','));
      return this.withBytes(list, (at) => this.json(m._engineTwinView(step, depth, at)));
    }

    twin(on) {
      this.module._engineTwin(on ? 1 : 0);
    }

    // Gathers the timeline for at most `commands` more commands:
    // {steps, done, parting}.
    index(commands) {
      return this.json(this.module._engineIndex(commands));
    }

    // The timeline's marks and IDs so far, one per step, read in place:
    // valid until the engine next runs.
    marks(steps) {
      const m = this.module;
      return new Uint16Array(m.HEAPU16.buffer, m._engineMarks(), steps);
    }

    ids(steps) {
      const m = this.module;
      return new Uint32Array(m.HEAPU32.buffer, m._engineIds(), steps);
    }

    // Why a line would be refused, or '' for a command.
    refusal(line) {
      const m = this.module;
      return this.withBytes(encoder.encode(line), (at, size) => m.UTF8ToString(m._engineRefusal(at, size)));
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
      return this.withBytes(bytes, (at, size) => this.json(m._engineCheck(at, size)));
    }
  }

  pg.Engine = Engine;
})(globalThis.Playground = globalThis.Playground || {});
