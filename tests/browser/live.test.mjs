// The live panel end to end: the host serving the bundled scenario, the page
// in headless Chromium, clicks and keys through the real mouse and keyboard.
//
//   PANELHOST=build/default/host/panelhost node --test tests/browser/live.test.mjs
//
// ARTEFACTS names the folder for the screenshot (default: the working folder).
import { test } from "node:test";
import assert from "node:assert/strict";
import { spawn } from "node:child_process";
import { mkdtempSync, rmSync, mkdirSync, readFileSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { chromium } from "playwright-core";

const PANELHOST = process.env.PANELHOST;
const ARTEFACTS = process.env.ARTEFACTS || ".";
const CHROMIUM = process.env.CHROMIUM || "/usr/bin/chromium";
const BUNDLED = path.join(path.dirname(fileURLToPath(import.meta.url)), "../../data/scenarios/harbour-hop.toml");

function startHost(scenario = []) {
  const host = spawn(PANELHOST, ["serve", ...scenario, "--port", "0", "--no-events"], { stdio: ["ignore", "pipe", "inherit"] });
  const port = new Promise((resolve, reject) => {
    let out = "";
    host.stdout.on("data", (d) => {
      out += d;
      const m = out.match(/http:\/\/127\.0\.0\.1:(\d+)\//);
      if (m) resolve(Number(m[1]));
    });
    host.on("exit", (code) => reject(new Error(`panelhost serve ended with ${code}: ${out}`)));
  });
  return { host, port };
}

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

async function until(what, check, ms = 5000) {
  const end = Date.now() + ms;
  for (;;) {
    const v = await check();
    if (v) return v;
    if (Date.now() > end) throw new Error("timed out waiting for " + what);
    await sleep(50);
  }
}

const openBrowser = (profile) => chromium.launchPersistentContext(profile, {
  executablePath: CHROMIUM,
  headless: true,
  viewport: { width: 1200, height: 1000 },
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
         "--disable-component-update", "--disable-sync"],
});

async function stopHost(host) {
  const ended = new Promise((done) => host.on("exit", (code, signal) => done({ code, signal })));
  host.kill("SIGTERM");
  assert.deepEqual(await ended, { code: 0, signal: null }, "the host stops cleanly on SIGTERM");
}

test("the live panel answers the mouse and the keyboard", { timeout: 90000 }, async () => {
  assert.ok(PANELHOST, "PANELHOST must name the panelhost program");
  const { host, port } = startHost();
  const profile = mkdtempSync(path.join(tmpdir(), "panelhost-chromium-"));
  let context;
  try {
    const base = `http://127.0.0.1:${await port}`;
    context = await openBrowser(profile);
    const page = context.pages()[0] || (await context.newPage());
    await page.goto(base + "/");
    const panel = await (await fetch(base + "/api/panel")).json();
    const display = panel.gauges.find((g) => g.plugin === "navdisplay");
    assert.ok(display, "the bundled panel has the navigation display");

    // Pixels of a gauge (the display unless named), in its own coordinates,
    // as the page shows them.
    const pixels = (x0, y0, x1, y1, g = display) => page.evaluate(([gx, gy, x0, y0, x1, y1]) => {
      const c = document.getElementById("panel");
      return Array.from(c.getContext("2d").getImageData(gx + x0, gy + y0, x1 - x0, y1 - y0).data);
    }, [g.x, g.y, x0, y0, x1, y1]);
    const map = () => pixels(0, 40, 206, 290);
    const differ = (a, b) => a.some((v, i) => v !== b[i]);
    const frames = () => page.evaluate(() => window.liveStats.frames);
    const lastFrame = () => page.evaluate(() => window.liveStats.lastFrame);
    const statusText = () => page.locator("#status").textContent();
    // A real click of the mouse on the display, at display pixel (x, y).
    const box = await page.locator("#panel").boundingBox();
    const scale = box.width / panel.panel.width;
    const click = async (x, y, button = "left") => {
      const before = await lastFrame();
      await page.mouse.click(box.x + (display.x + x + 0.5) * scale, box.y + (display.y + y + 0.5) * scale, { button });
      await until("the click's frame", async () => (await lastFrame()) > before);
    };

    await until("the first frames", async () => (await frames()) > 3);

    // The frame rate the page reaches, over three seconds of flight.
    const onMap = () => page.evaluate(() => window.liveMap);
    await until("the aircraft on the moving map", async () => (await onMap()).points > 1);
    // Reading pixels holds up the page, so none are read while it is timed.
    const moving0 = await map(), plane0 = (await onMap()).aircraft;
    const f0 = await frames(), t0 = Date.now();
    await sleep(3000);
    const fps = ((await frames()) - f0) * 1000 / (Date.now() - t0);
    console.log(`page frame rate: ${fps.toFixed(1)} frames per second (the host publishes 30)`);
    // Some allowance for a loaded machine.
    assert.ok(fps >= 25, `the page shows ${fps.toFixed(1)} frames a second, under 25`);
    assert.ok(differ(moving0, await map()), "the map moves as the aircraft flies");
    const plane1 = (await onMap()).aircraft;
    assert.ok(Math.hypot(plane1[0] - plane0[0], plane1[1] - plane0[1]) > 1, "the aircraft moves on the moving map");

    // The display fetches its nearby lists every few seconds; let it, then
    // hold the flight still so that only the clicks change the picture.
    await sleep(3000);
    await page.click("#pause");
    await until("the pause", async () => (await statusText()).includes("PAUSED"));
    await sleep(300);
    const still = await map();
    assert.ok(!differ(still, await map()), "a paused panel stands still");

    // Paused, the aircraft on the moving map is where its position puts it
    // by the map's projection, and the pixel there is the aircraft's.
    await sleep(600);
    const at = (await (await fetch(base + "/api/status")).json()).position, m = panel.map;
    const wrap = (d) => ((d + 180) % 360 + 360) % 360 - 180;
    const want = [m.width / 2 + wrap(at.lon - m.centre_longitude) * m.longitude_factor * m.pixels_per_degree,
                  m.height / 2 - (at.lat - m.centre_latitude) * m.pixels_per_degree];
    const shown = (await onMap()).aircraft;
    assert.ok(Math.hypot(shown[0] - want[0], shown[1] - want[1]) < 0.5, `the aircraft at ${shown}, its position at ${want}`);
    const plane = await page.evaluate(([x, y]) =>
      Array.from(document.getElementById("map").getContext("2d").getImageData(Math.floor(x), Math.floor(y), 1, 1).data), want);
    assert.deepEqual(plane, [255, 208, 0, 255], "the aircraft's colour where it is");

    // Airports: the first click adds the identifiers, the fourth turns the
    // layer off and its indicator mark under the button goes dark.
    const mark = async () => (await pixels(12, 306, 16, 310)).slice(0, 4);
    assert.deepEqual(await mark(), [0, 100, 0, 255], "the airports layer starts on");
    await click(14, 300);
    assert.ok(differ(still, await map()), "airport labels appear");
    await click(14, 300);
    await click(14, 300);
    await click(14, 300);
    assert.notDeepEqual(await mark(), [0, 100, 0, 255], "the airports indicator goes out");

    // The zoom corner: a left click zooms in one step.
    const corner = await pixels(177, 0, 206, 32);
    const before = await map();
    await click(190, 12);
    assert.ok(differ(corner, await pixels(177, 0, 206, 32)), "the zoom selector changes");
    assert.ok(differ(before, await map()), "the map changes scale");

    // Panel shift: Alt+Insert places window 6.
    await page.locator("#panel").focus();
    await page.keyboard.press("Alt+Insert");
    await until("window 6 placed", async () => (await statusText()).includes("6: 20,20 100x100"));

    // Tuning from the form's defaults reaches a head on the panel: the COM
    // head reads unit 2, the ADF unit 1.
    const com = panel.gauges.find((g) => g.plugin === "radio_com");
    await until("the COM unit the head reads", async () => (await page.inputValue("#unit")) === "2");
    const comBefore = await pixels(0, 0, com.width, com.height, com);
    await page.fill("#value", "124.5");
    await page.click("#tune");
    await until("the tuned COM in the status", async () => (await statusText()).includes("com2 124.500 "));
    await until("the COM head's new digits", async () => differ(comBefore, await pixels(0, 0, com.width, com.height, com)));
    await page.selectOption("#radio", "adf");
    assert.equal(await page.inputValue("#unit"), "1", "the ADF head reads unit 1");
    // Only what a head shows: no standby for the ADF and the transponder, whose
    // heads have one window, and no unit without a head.
    const offered = async (select) => page.$$eval(`${select} option`, (os) => os.filter((o) => !o.disabled).map((o) => o.value));
    assert.deepEqual(await offered("#which"), ["active"]);
    assert.deepEqual(await offered("#unit"), ["1"]);
    await page.selectOption("#radio", "com");
    await page.selectOption("#which", "standby");
    await page.selectOption("#radio", "xpdr");
    assert.equal(await page.inputValue("#which"), "active", "a standby picked for COM does not stay for the transponder");
    assert.deepEqual(await offered("#which"), ["active"]);
    await page.selectOption("#radio", "com");
    assert.deepEqual(await offered("#which"), ["active", "standby"]);

    await page.click("#pause");
    await until("the resume", async () => (await statusText()).includes("running"));
    await sleep(1500);  // the status line shows the rates of a running panel
    mkdirSync(ARTEFACTS, { recursive: true });
    const shot = path.join(ARTEFACTS, "live-panel.png");
    await page.screenshot({ path: shot });
    console.log(`screenshot: ${shot}`);

    // A browser that goes away leaves the host serving.
    await context.close();
    context = null;
    const after = await (await fetch(base + "/api/status")).json();
    assert.equal(after.error, "");
  } finally {
    if (context) await context.close();
    rmSync(profile, { recursive: true, force: true });
    await stopHost(host);
  }
});

test("a failed restart leaves no panel until a good one", { timeout: 60000 }, async () => {
  const folder = mkdtempSync(path.join(tmpdir(), "panelhost-restart-"));
  const scenario = path.join(folder, "flight.toml");
  const good = readFileSync(BUNDLED, "utf8");
  writeFileSync(scenario, good);
  const { host, port } = startHost([scenario]);
  let context;
  try {
    const base = `http://127.0.0.1:${await port}`;
    context = await openBrowser(path.join(folder, "profile"));
    const page = context.pages()[0] || (await context.newPage());
    await page.goto(base + "/");
    const statusText = () => page.locator("#status").textContent();
    // A pixel of the display's map, in the panel's coordinates.
    const corner = () => page.evaluate(() =>
      Array.from(document.getElementById("panel").getContext("2d").getImageData(30, 100, 1, 1).data));
    await until("the first frames", async () => (await page.evaluate(() => window.liveStats.frames)) > 3);

    writeFileSync(scenario, good.replace("value = 4721", "value = 9999"));
    await page.click("#restart");
    await until("no panel", async () => (await statusText()).includes("NO PANEL"));
    assert.match(await statusText(), /ERROR restart failed: .*flight\.toml:\d+: a transponder code is four digits 0 to 7, not 9999/);
    await until("the cleared panel", async () => (await corner()).join() === "28,31,34,255");
    assert.match(await page.locator("#message").textContent(), /^no panel: restart failed/);
    const refused = await fetch(base + "/api/click", { method: "POST", body: JSON.stringify({ gauge: "display", x: 1, y: 1 }) });
    assert.equal(refused.status, 409);

    writeFileSync(scenario, good);
    await page.click("#restart");
    await until("the panel again", async () => (await statusText()).includes("running"));
    await until("the display again", async () => (await corner()).join() !== "28,31,34,255");
  } finally {
    if (context) await context.close();
    await stopHost(host);
    rmSync(folder, { recursive: true, force: true });
  }
});
