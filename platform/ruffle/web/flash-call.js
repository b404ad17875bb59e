// Turns the emulator's external calls into the Flash Player's external-API request XML and hands
// each one to the player. The emulator performs ExternalInterface.call(name, ...) by building
// `new Function("return (" + name + ")(...arguments);")` and calling the result; a Proxy around
// the global Function recognises exactly that body, so calls to any name are caught without
// evaluating the name as script. Every other use of Function is passed through untouched.
'use strict';

(function (global) {
  const kExternalCallBody = /^return \(([\s\S]*)\)\(\.\.\.arguments\);$/;

  const kXmlEntities = { '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&apos;' };

  function escapeXml(text) {
    return String(text).replace(/[&<>"']/g, (c) => kXmlEntities[c]);
  }

  function propertiesXml(entries) {
    return entries
      .map(([id, value]) => `<property id="${escapeXml(id)}">${valueXml(value)}</property>`)
      .join('');
  }

  // One value in the external-API encoding; values it has no element for become <undefined/>.
  function valueXml(value) {
    if (value === undefined) return '<undefined/>';
    if (value === null) return '<null/>';
    if (value === true) return '<true/>';
    if (value === false) return '<false/>';
    if (typeof value === 'number') return `<number>${value}</number>`;
    if (typeof value === 'string') return `<string>${escapeXml(value)}</string>`;
    if (Array.isArray(value)) return `<array>${propertiesXml(value.map((v, i) => [i, v]))}</array>`;
    if (typeof value === 'object') return `<object>${propertiesXml(Object.entries(value))}</object>`;
    return '<undefined/>';
  }

  function requestXml(name, args) {
    const argumentsXml = Array.from(args, valueXml).join('');
    return `<invoke name="${escapeXml(name)}" returntype="xml"><arguments>${argumentsXml}</arguments></invoke>`;
  }

  // The called name when `functionArgs` (the arguments given to Function) are the emulator's
  // external-call body, else null.
  function externalCallName(functionArgs) {
    if (functionArgs.length !== 1 || typeof functionArgs[0] !== 'string') return null;
    const match = kExternalCallBody.exec(functionArgs[0]);
    return match ? match[1] : null;
  }

  // Replaces target.Function so that external calls go to deliver(requestXml) and return
  // nothing to the movie. Returns a function that puts the original back.
  function installExternalCallHook(target, deliver) {
    const original = target.Function;
    const callFor = (name) =>
      function externalCall(...args) {
        deliver(requestXml(name, args));
        return undefined;
      };
    target.Function = new Proxy(original, {
      construct(fn, functionArgs, newTarget) {
        const name = externalCallName(functionArgs);
        if (name !== null) return callFor(name);
        return Reflect.construct(fn, functionArgs, newTarget);
      },
      apply(fn, thisArg, functionArgs) {
        const name = externalCallName(functionArgs);
        if (name !== null) return callFor(name);
        return Reflect.apply(fn, thisArg, functionArgs);
      },
    });
    return () => {
      target.Function = original;
    };
  }

  const api = { escapeXml, valueXml, requestXml, externalCallName, installExternalCallHook };
  if (typeof module === 'object' && module.exports) {
    module.exports = api;
  } else {
    global.BookstubFlashCall = api;
  }
})(globalThis);
