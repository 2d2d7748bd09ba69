'use strict';
// Opens the news list page from the resources in headless Chromium, with a window.external that
// records every ShowInfo call instead of opening links.
const fs = require('node:fs');
const path = require('node:path');
const { chromium } = require('playwright-core');

const sourceDir = path.resolve(__dirname, '..', '..');
const pagePath = path.join(sourceDir, 'res', 'html', 'newslist.html');
const buildDir = process.env.CORVANE_BUILD_DIR || path.join(sourceDir, 'build', 'page');

// Playwright gives every launch a fresh profile folder of its own and removes it afterwards.
async function launchBrowser() {
  const browser = await chromium.launch({
    executablePath: process.env.CORVANE_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    headless: true,
  });
  return {
    browser,
    close: () => browser.close(),
  };
}

// initScript, when given, runs before the page's own script (to take away what an older engine lacks).
async function openPage(browser, viewport = { width: 474, height: 300 }, initScript = null) {
  const page = await browser.newPage({ viewport });
  await page.addInitScript(() => {
    window.shownLinks = [];
    window.external = { ShowInfo: (link) => { window.shownLinks.push(link); } };
  });
  if (initScript) await page.addInitScript(initScript);
  await page.goto('file://' + pagePath);
  return page;
}

// The rows as the user sees them: time cell text and link text, top first.
function rowTexts(page) {
  return page.$$eval('#oTBody0 tr', (rows) => rows.map((row) => [row.cells[0].textContent, row.cells[1].textContent]));
}

function addRows(page, rows) {
  return page.evaluate((all) => { for (const r of all) addUnit(r[0], r[1], r[2], r[3]); }, rows);
}

module.exports = { launchBrowser, openPage, rowTexts, addRows, pagePath, sourceDir, buildDir };
