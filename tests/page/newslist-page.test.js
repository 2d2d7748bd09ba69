'use strict';
const { test, describe, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const acorn = require('acorn');
const { launchBrowser, openPage, rowTexts, addRows, pagePath, sourceDir, buildDir } = require('./page-fixture');

const NBSP = '\u00a0';
let session;
before(async () => { session = await launchBrowser(); });
after(async () => { await session.close(); });

function numbered(count) {
  const rows = [];
  for (let i = 1; i <= count; i++) rows.push([`09:${String(i).padStart(2, '0')}`, `headline ${i}`, `http://news.example/${i}`]);
  return rows;
}

describe('the page as loaded', () => {
  test('its bytes are GB2312 as declared, and it starts empty with the overlay hidden', async () => {
    const bytes = fs.readFileSync(pagePath);
    const text = new TextDecoder('gbk', { fatal: true }).decode(bytes);
    assert.match(text, /charset=gb2312/i);
    const page = await openPage(session.browser);
    assert.equal(await page.title(), '新闻列表');
    const state = await page.evaluate(() => ({
      maxRows: MaxRows,
      rows: document.getElementById('oTBody0').rows.length,
      overlay: getComputedStyle(document.getElementById('progressDiv')).display,
      picture: getComputedStyle(document.getElementById('progressPic')).display,
      alt: document.getElementById('progressPic').alt,
    }));
    assert.deepEqual(state, { maxRows: 20, rows: 0, overlay: 'none', picture: 'none', alt: 'Busy...' });
    await page.close();
  });

  test('its script runs on the oldest engine it may meet (IE8 document mode), in the most recent mode there is', () => {
    const text = new TextDecoder('gbk').decode(fs.readFileSync(pagePath));
    assert.match(text, /<meta http-equiv="X-UA-Compatible" content="IE=edge">/);
    const scripts = [...text.matchAll(/<script[^>]*>([\s\S]*?)<\/script>/g)].map((m) => m[1]);
    assert.ok(scripts.length > 0);
    // What IE8 lacks; createHTMLDocument and importNode are used only where they are found (see below).
    const missingInIE8 = /\b(textContent|addEventListener|querySelector(All)?|classList|getComputedStyle|dataset)\b|\.(trim|bind|forEach|map|filter|some|every|reduce)\(|\bObject\.(keys|create|defineProperty)\b/;
    for (const script of scripts) {
      assert.doesNotThrow(() => acorn.parse(script, { ecmaVersion: 3 }));
      assert.doesNotMatch(script, missingInIE8);
    }
  });
});

describe('rows', () => {
  test('newest on top, and the row limit drops the bottom row', async () => {
    const cases = [
      // [limit set before adding, rows added, rows expected top first]
      { limit: null, added: 25, expected: 20 },
      { limit: 3, added: 5, expected: 3 },
      { limit: 1, added: 2, expected: 1 },
    ];
    for (const c of cases) {
      const page = await openPage(session.browser);
      if (c.limit !== null) await page.evaluate((n) => SetMaxRows(n), c.limit);
      await addRows(page, numbered(c.added));
      const rows = await rowTexts(page);
      assert.equal(rows.length, c.expected, JSON.stringify(c));
      assert.deepEqual(rows[0], [`${NBSP}09:${String(c.added).padStart(2, '0')}`, `headline ${c.added}`]);
      assert.equal(rows[rows.length - 1][1], `headline ${c.added - c.expected + 1}`);
      await page.close();
    }
  });

  test('a lowered limit removes only one row per added row', async () => {
    const page = await openPage(session.browser);
    await addRows(page, numbered(6));
    await page.evaluate(() => SetMaxRows(2));
    assert.equal((await rowTexts(page)).length, 6, 'SetMaxRows leaves present rows alone');
    await addRows(page, [['10:00', 'seventh', 'http://x/7']]);
    const rows = await rowTexts(page);
    assert.equal(rows.length, 6);
    assert.equal(rows[0][1], 'seventh');
    assert.equal(rows[5][1], 'headline 2');
    await page.close();
  });

  test('pops take the top or the bottom row, and do nothing on an empty list', async () => {
    const page = await openPage(session.browser);
    const emptyResult = await page.evaluate(() => { popTop(); popBottom(); clearList(); return oTBody0.rows.length; });
    assert.equal(emptyResult, 0);
    await addRows(page, numbered(4));
    await page.evaluate(() => { popTop(); popBottom(); });
    assert.deepEqual((await rowTexts(page)).map((r) => r[1]), ['headline 3', 'headline 2']);
    await page.evaluate(() => clearList());
    assert.deepEqual(await rowTexts(page), []);
    await page.close();
  });

  test('a title keeps its markup', async () => {
    const page = await openPage(session.browser);
    await addRows(page, [['09:00', '<b>黄金</b>大涨<br><font color="#cc0000">快讯</font> &amp; <i>more</i>', 'http://x/']]);
    const shape = await page.$eval('#oTBody0 a', (a) => ({
      bold: a.querySelector('b').textContent,
      breaks: a.querySelectorAll('br').length,
      colour: getComputedStyle(a.querySelector('font')).color,
      text: a.textContent,
    }));
    assert.deepEqual(shape, { bold: '黄金', breaks: 1, colour: 'rgb(204, 0, 0)', text: '黄金大涨快讯 & more' });
    await page.close();
  });

  test('active content in a title is removed before it can run', async () => {
    const titles = [
      '<script>window.ran = "script"</script>plain',
      '<img src="missing.gif" onerror="window.ran = \'onerror\'">picture',
      '<span onmouseover="window.ran = \'hover\'" style="color: red">hover me</span>',
      '<a href="javascript:window.ran=\'js-url\'">inner link</a>',
      '<a href=" jav&#x09;ascript:window.ran=\'split\'">split scheme</a>',
      '<iframe src="javascript:parent.ran=\'frame\'"></iframe>framed',
      '<svg><script>window.ran = "svg"</script></svg>drawn',
      '<object data="javascript:window.ran=\'object\'"></object>object',
      '<meta http-equiv="refresh" content="0;url=javascript:window.ran=\'meta\'">meta',
    ];
    const page = await openPage(session.browser);
    await addRows(page, titles.map((t, i) => ['09:00', t, `http://x/${i}`]));
    // Give anything that slipped through a chance to load, fire or be hovered.
    for (const anchor of await page.$$('#oTBody0 a')) await anchor.hover();
    await page.waitForTimeout(200);
    const result = await page.evaluate(() => {
      const table = document.getElementById('oTable');
      const handlers = [...table.querySelectorAll('*')].flatMap((e) => [...e.attributes].map((a) => a.name))
        .filter((name) => name.startsWith('on'));
      const scriptUrls = [...table.querySelectorAll('[href],[src],[data]')]
        .map((e) => e.getAttribute('href') || e.getAttribute('src') || e.getAttribute('data'))
        .filter((url) => url.replace(/\s/g, '').toLowerCase().startsWith('javascript:'));
      return {
        ran: window.ran,
        handlers,
        scriptUrls,
        dangerous: table.querySelectorAll('script,iframe,frame,object,embed,meta,svg').length,
        rows: table.rows.length,
      };
    });
    assert.deepEqual(result, { ran: undefined, handlers: [], scriptUrls: [], dangerous: 0, rows: titles.length });
    const texts = (await rowTexts(page)).map((r) => r[1]);
    assert.ok(texts.includes('plain') && texts.includes('hover me') && texts.includes('inner link'), texts.join('|'));
    await page.close();
  });
});

describe('nothing in a title can take the list away', () => {
  // Every request the page makes to anything but its own file.
  function recordRequests(page) {
    const requests = [];
    page.on('request', (request) => { if (!request.url().startsWith('file://' + pagePath)) requests.push(request.url()); });
    return requests;
  }

  test('inner links of every kind lose their target, keep their text, and a click leaves the page where it was', async () => {
    const cases = [
      ['美联储<a href="file:///C:/Windows/System32/">详情</a>', '美联储详情'],
      ['<a href="search-ms:query=report&crumb=location:C:\\" target="_blank">搜索</a>结果', '搜索结果'],
      ['<a href="\\\\host\\share\\x.exe">共享</a>', '共享'],
      ['<a href="other.html#top" target="_top">相对</a>', '相对'],
      ['<a href="http://news.example/elsewhere"><b>网页</b>链接</a>', '网页链接'],
      ['<map name="m"><area shape="default" href="file:///C:/">区域</map>图示', '区域图示'],
      ['<form action="file:///C:/"><button formaction="search-ms:">按钮</button></form>表单', '按钮表单'],
    ];
    const page = await openPage(session.browser, { width: 400, height: 120 });
    const requests = recordRequests(page);
    // Below twelve plain rows, so the list is scrolled down to them and a jump to "#" would show.
    await addRows(page, cases.map(([title], i) => ['09:00', title, `http://news.example/row${i}`]));
    await addRows(page, numbered(12));
    const rows = await rowTexts(page);
    assert.deepEqual(rows.slice(12).map((r) => r[1]), cases.map(([, text]) => text).reverse());
    const targets = await page.$$eval('#oTBody0 tr', (all) => all.map((row) => ({
      hrefs: [...row.querySelectorAll('[href]')].map((e) => e.getAttribute('href')),
      others: row.querySelectorAll('[target],[action],[formaction],area,form,button').length,
    })));
    for (const t of targets) assert.deepEqual(t, { hrefs: ['#'], others: 0 });

    const startUrl = page.url();
    for (let i = 0; i < cases.length; i++) {
      const anchor = (await page.$$('#oTBody0 a'))[12 + cases.length - 1 - i];
      await anchor.evaluate((a) => { a.scrollIntoView({ block: 'end' }); });
      const before = await page.evaluate(() => window.scrollY);
      assert.ok(before > 0);
      await anchor.click();
      assert.deepEqual(await page.evaluate(() => [window.scrollY, location.href, typeof addUnit]), [before, startUrl, 'function'],
        cases[i][0]);
    }
    assert.deepEqual(await page.evaluate(() => window.shownLinks), cases.map((_, i) => `http://news.example/row${i}`));
    assert.deepEqual(requests, []);
    await page.close();
  });

  test('style elements and attributes keep only colour and emphasis, pictures stay away', async () => {
    const page = await openPage(session.browser);
    const requests = recordRequests(page);
    await addRows(page, [
      ['09:00', '<style>#oTable { display: none } a { color: red } tr { background: black }</style>样式', 'http://x/1'],
      ['09:01', '<span style="position: absolute; top: 0; left: 0; width: 900px; height: 900px; z-index: 9; ' +
        'font-size: 80px; display: block; visibility: hidden; background: url(http://pictures.example/b.png); ' +
        'color: #cc0000; font-weight: bold; font-style: italic; text-decoration: line-through">盖住</span>', 'http://x/2'],
      ['09:02', '<div style="margin-top: -500px; display: none">藏起</div><font color="#008800" style="opacity: 0">绿</font>', 'http://x/3'],
      ['09:03', '<img src="http://pictures.example/p.png" width="500">图<picture><source srcset="http://pictures.example/s.png"></picture>' +
        '<table background="http://pictures.example/t.png"><tr><td>表</td></tr></table>', 'http://x/4'],
      ['09:04', 'plain', 'http://x/5'],
    ]);
    await page.waitForTimeout(200);
    const look = await page.evaluate(() => {
      const style = (e) => { const s = getComputedStyle(e); return [s.position, s.display, s.visibility, s.fontSize, s.color, s.fontWeight, s.fontStyle, s.textDecorationLine, s.opacity]; };
      const anchors = [...document.querySelectorAll('#oTBody0 a')];
      return {
        table: getComputedStyle(document.getElementById('oTable')).display,
        styleElements: document.querySelectorAll('style').length,
        rowColours: [...document.querySelectorAll('#oTBody0 tr')].map((r) => getComputedStyle(r).backgroundColor),
        linkColours: anchors.map((a) => getComputedStyle(a).color),
        covering: style(anchors[3].querySelector('span')),
        hidden: style(anchors[2].querySelector('div')),
        green: style(anchors[2].querySelector('font')),
        pictures: document.querySelectorAll('#oTable img, #oTable picture, #oTable source, #oTable [background]').length,
        texts: anchors.map((a) => a.innerText.replace(/\s+/g, '')),
        rowBottoms: [...document.querySelectorAll('#oTBody0 tr')].map((r) => r.getBoundingClientRect().height < 60),
      };
    });
    const white = 'rgb(255, 255, 255)';
    const blue = 'rgb(0, 34, 255)';
    assert.deepEqual(look, {
      table: 'table',
      styleElements: 1,
      rowColours: [white, white, white, white, white],
      linkColours: [blue, blue, blue, blue, blue],
      covering: ['static', 'inline', 'visible', '13px', 'rgb(204, 0, 0)', '700', 'italic', 'line-through', '1'],
      hidden: ['static', 'block', 'visible', '13px', blue, '400', 'normal', 'none', '1'],
      green: ['static', 'inline', 'visible', '13px', 'rgb(0, 136, 0)', '400', 'normal', 'none', '1'],
      pictures: 0,
      texts: ['plain', '图表', '藏起绿', '盖住', '样式'],
      rowBottoms: [true, true, true, true, true],
    });
    assert.deepEqual(requests, []);
    await page.close();
  });
});

// An engine without safe parsing (IE8 document mode): createHTMLDocument and importNode are missing.
function withoutSafeParsing() {
  delete Document.prototype.importNode;
  delete DOMImplementation.prototype.createHTMLDocument;
}

describe('an engine without safe parsing', () => {
  test('titles become plain text, and clicks still hand ShowInfo the exact link', async () => {
    const cases = [
      // [title, text shown, link]
      ['<b>黄金</b>&amp;白银 &lt;快讯&gt; &nbsp;&#x4e00;&#20108;', '黄金&白银 <快讯> \u00a0一二', 'http://news.example/a?b=1&c=2'],
      ['<script>window.ran = 1</script>纯<style>#oTable { display: none }</style>文本<!-- note -->', '纯文本', 'http://x/"); window.ran = 2; ("'],
      ['美联储<a href="file:///C:/Windows/System32/" onclick="window.ran = 3">详情</a>', '美联储详情', ''],
      ['<img src="http://pictures.example/p.png" onerror="window.ran = 4">1 < 2 &lt;script&gt;', '1 < 2 <script>', 'http://新闻.example/路径'],
    ];
    const page = await openPage(session.browser, undefined, withoutSafeParsing);
    assert.equal(await page.evaluate(() => typeof document.importNode + typeof document.implementation.createHTMLDocument), 'undefinedundefined');
    await addRows(page, cases.map(([title, , link]) => ['09月06日  09:05', title, link]));
    const rows = await page.$$eval('#oTBody0 tr', (all) => all.map((row) => ({
      time: row.cells[0].textContent,
      title: row.cells[1].textContent,
      elements: row.querySelectorAll('*').length,  // the two cells and the row's own link
    })));
    assert.deepEqual(rows, cases.map(([, text]) => ({ time: '\u00a009月06日  09:05', title: text, elements: 3 })).reverse());
    for (const anchor of await page.$$('#oTBody0 a')) await anchor.click();
    await page.waitForTimeout(100);
    assert.deepEqual(await page.evaluate(() => ({ shown: window.shownLinks, ran: window.ran, hash: location.hash })),
      { shown: cases.map(([, , link]) => link).reverse(), ran: undefined, hash: '' });
    await page.close();
  });
});

describe('the self-check', () => {
  test('passes where a row can be built, without touching the list', async () => {
    for (const initScript of [null, withoutSafeParsing]) {
      const page = await openPage(session.browser, undefined, initScript);
      await addRows(page, numbered(3));
      assert.deepEqual(await page.evaluate(() => [pageSelfCheck(), oTBody0.rows.length]), [true, 3]);
      await page.close();
    }
  });

  test('fails where addUnit would fail, and a failing addUnit leaves no empty row', async () => {
    const sabotages = [
      // addUnit throws: the engine cannot insert cells.
      { name: 'insertCell', run: () => { HTMLTableRowElement.prototype.insertCell = () => { throw new Error('old engine'); }; }, throws: true },
      // addUnit runs but fills nothing.
      { name: 'createTextNode', run: () => { const make = Document.prototype.createTextNode; Document.prototype.createTextNode = function () { return make.call(this, ''); }; }, throws: false },
    ];
    for (const sabotage of sabotages) {
      const page = await openPage(session.browser);
      await addRows(page, numbered(2));
      const result = await page.evaluate((source) => {
        (0, eval)(`(${source})`)();
        const outcome = (call) => { try { call(); return 'ok'; } catch (e) { return 'threw'; } };
        return { check: outcome(() => pageSelfCheck()), add: outcome(() => addUnit('09:00', '<b>x</b>', 'http://x/')), rows: oTBody0.rows.length };
      }, sabotage.run.toString());
      assert.deepEqual(result, { check: 'threw', add: sabotage.throws ? 'threw' : 'ok', rows: sabotage.throws ? 2 : 3 }, sabotage.name);
      await page.close();
    }
  });
});

describe('clicks', () => {
  test('a click hands ShowInfo the link exactly as received', async () => {
    const links = [
      'http://news.example/a?b=1&c=2',
      'http://x/"); window.ran = "dq"; ("',
      "http://x/'); window.ran = 'sq'; ('",
      'http://x/\\"); window.ran = "bs"; //',
      'http://x/</a><img src=x onerror="window.ran=1">',
      'http://x/\u2028\u2029line',
      'http://新闻.example/路径',
      '',
    ];
    const page = await openPage(session.browser);
    await addRows(page, links.map((link, i) => ['09:00', `title ${i}`, link]));
    const anchors = await page.$$('#oTBody0 a');
    assert.equal(anchors.length, links.length);
    // Rows are newest first, so the last link added is the top row.
    for (const anchor of anchors) await anchor.click();
    const seen = await page.evaluate(() => ({ shown: window.shownLinks, ran: window.ran }));
    assert.deepEqual(seen, { shown: links.slice().reverse(), ran: undefined });
    await page.close();
  });

  test('rows grey while the pointer is over them, and links change colour and underline', async () => {
    const page = await openPage(session.browser);
    await addRows(page, numbered(2));
    const look = (selector) => page.$eval(selector, (e) => {
      const s = getComputedStyle(e);
      return [s.backgroundColor, s.color, s.textDecorationLine];
    });
    assert.deepEqual(await look('#oTBody0 tr'), ['rgb(255, 255, 255)', 'rgb(0, 0, 0)', 'none']);
    assert.deepEqual((await look('#oTBody0 a')).slice(1), ['rgb(0, 34, 255)', 'none']);
    await page.hover('#oTBody0 tr:nth-child(1) a');
    assert.equal((await look('#oTBody0 tr:nth-child(1)'))[0], 'rgb(204, 204, 204)');
    assert.deepEqual((await look('#oTBody0 tr:nth-child(1) a')).slice(1), ['rgb(0, 153, 255)', 'underline']);
    await page.hover('#oTBody0 tr:nth-child(2) td');
    assert.equal((await look('#oTBody0 tr:nth-child(1)'))[0], 'rgb(255, 255, 255)');
    assert.equal((await look('#oTBody0 tr:nth-child(2)'))[0], 'rgb(204, 204, 204)');
    await page.close();
  });
});

describe('keyword alerts', () => {
  const alertLook = (page) => page.$$eval('#oTBody0 tr', (rows) => rows.map((row) => ({
    alert: row.className === 'alert',
    background: getComputedStyle(row).backgroundColor,
    band: getComputedStyle(row.cells[0]).borderLeftColor + ' ' + getComputedStyle(row.cells[0]).borderLeftWidth,
    bold: [...row.querySelectorAll('b.alertWord')].map((b) => b.textContent),
    title: row.cells[1].textContent,
  })));

  test('an alert row is tinted with an amber band and its matched words in bold, wherever they stand in the markup', async () => {
    const cases = [
      // [title, words separated by line breaks, words shown in bold in order]
      ['美联储宣布加息25个基点，美联储主席讲话', '美联储\n加息', ['美联储', '加息', '美联储']],
      ['<b>EUR</b>/USD 跌破 1.10', 'EUR\nUSD', ['EUR', 'USD']],
      ['S&amp;P 500 (a+b)* 指数', 'S&P\n(a+b)*', ['S&P', '(a+b)*']],
      ['非农就业人数', '非农\n非农就业', ['非农就业']],
      ['ＵＳＤ　１２３', 'ＵＳＤ', ['ＵＳＤ']],
    ];
    const page = await openPage(session.browser);
    await page.evaluate((all) => { for (const c of all) addUnit('09:00', c[0], 'http://x/', c[1]); }, cases);
    await addRows(page, [['09:01', 'an ordinary headline', 'http://x/o']]);
    const rows = await alertLook(page);
    assert.deepEqual(rows[0], { alert: false, background: 'rgb(255, 255, 255)', band: 'rgb(0, 0, 0) 0px', bold: [], title: 'an ordinary headline' });
    const alerts = rows.slice(1).reverse();
    for (let i = 0; i < cases.length; i++) {
      assert.equal(alerts[i].alert, true, cases[i][0]);
      assert.equal(alerts[i].background, 'rgb(255, 238, 206)');
      assert.equal(alerts[i].band, 'rgb(240, 154, 0) 4px');
      assert.deepEqual(alerts[i].bold, cases[i][2], cases[i][0]);
    }
    assert.equal(alerts[2].title, 'S&P 500 (a+b)* 指数', 'the words are text, never markup or patterns');
    // The pointer greys an alert row like any other, and leaving gives it its tint back.
    await page.hover('#oTBody0 tr:nth-child(2) a');
    assert.equal((await alertLook(page))[1].background, 'rgb(204, 204, 204)');
    await page.hover('#oTBody0 tr:nth-child(1) a');
    assert.equal((await alertLook(page))[1].background, 'rgb(255, 238, 206)');
    await page.close();
  });

  test('an engine without safe parsing bolds the words in the plain text', async () => {
    const page = await openPage(session.browser, undefined, withoutSafeParsing);
    await page.evaluate(() => addUnit('09:00', '<i>黄金</i>突破<script>x</script>1900美元', '', '黄金\n突破'));
    const [row] = await alertLook(page);
    assert.deepEqual([row.alert, row.bold, row.title], [true, ['黄金', '突破'], '黄金突破1900美元']);
    await page.close();
  });
});

describe('busy overlay', () => {
  const picture = 'file:///D:/My%20App/skin/loading.gif';
  const state = (page) => page.evaluate(() => ({
    overlay: getComputedStyle(progressDiv).display,
    picture: getComputedStyle(progressPic).display,
    src: progressPic.getAttribute('src'),
  }));

  test('shows and hides, and keeps the picture it was given while hidden', async () => {
    const steps = [
      { call: [false, picture], expected: { overlay: 'none', picture: 'inline', src: picture } },
      { call: [true, picture], expected: { overlay: 'block', picture: 'inline', src: picture } },
      { call: [true, ''], expected: { overlay: 'block', picture: 'none', src: '' } },
      { call: [false, ''], expected: { overlay: 'none', picture: 'none', src: '' } },
    ];
    const page = await openPage(session.browser);
    for (const step of steps) {
      await page.evaluate((args) => ShowProgressBusy(args[0], args[1]), step.call);
      assert.deepEqual(await state(page), step.expected, JSON.stringify(step.call));
    }
    await page.close();
  });

  test('covers the visible area wherever the list is scrolled, and blocks clicks on the rows', async () => {
    const page = await openPage(session.browser, { width: 400, height: 120 });
    await addRows(page, numbered(20));
    await page.evaluate(() => { ShowProgressBusy(true, ''); window.scrollTo(0, 150); });
    await page.waitForFunction(() => progressDiv.style.top === `${GetBrowserDocument().scrollTop}px`);
    const box = await page.$eval('#progressDiv', (e) => {
      const r = e.getBoundingClientRect();
      return [r.top, r.height, window.scrollY, getComputedStyle(e).opacity];
    });
    assert.deepEqual(box, [0, 120, 150, '0.8']);
    await page.mouse.click(200, 60);
    assert.deepEqual(await page.evaluate(() => window.shownLinks), []);
    await page.close();
  });
});

describe('input blocking', () => {
  test('keys, the context menu, right presses, selection and paste are cancelled', async () => {
    const page = await openPage(session.browser, { width: 400, height: 120 });
    await addRows(page, numbered(20));
    await page.evaluate(() => {
      window.cancelled = {};
      for (const type of ['keydown', 'mousedown', 'selectstart', 'paste']) {
        window.addEventListener(type, (e) => { window.cancelled[type + (e.button ? e.button : '')] = e.defaultPrevented; });
      }
    });
    for (const key of ['PageDown', 'End', 'ArrowDown', 'F5', 'Control+a']) await page.keyboard.press(key);
    await page.mouse.click(200, 60, { button: 'right' });
    await page.mouse.click(200, 60, { button: 'middle' });
    await page.mouse.move(20, 10);
    await page.mouse.down();
    await page.mouse.move(300, 100);
    await page.mouse.up();
    const result = await page.evaluate(() => {
      document.body.dispatchEvent(new Event('paste', { bubbles: true, cancelable: true }));
      // The page's own handler stops the menu event from bubbling: what it did shows in dispatch's answer.
      const menuEvent = new MouseEvent('contextmenu', { bubbles: true, cancelable: true, button: 2 });
      window.cancelled.contextmenu2 = !document.querySelector('#oTBody0 td').dispatchEvent(menuEvent);
      return { cancelled: window.cancelled, scrolled: window.scrollY, selected: String(window.getSelection()) };
    });
    assert.deepEqual(result, {
      cancelled: { keydown: true, contextmenu2: true, mousedown2: true, mousedown1: true, mousedown: false,
        selectstart: true, paste: true },
      scrolled: 0,
      selected: '',
    });
    await page.close();
  });
});

describe('review', () => {
  function reviewRows() {
    const rows = fs.readFileSync(path.join(__dirname, 'review-rows.tsv'), 'utf8').split('\n')
      .filter((line) => line && !line.startsWith('#')).map((line) => line.split('\t'));
    return rows.map(([when, title, link, alertWords]) => {
      const m = /^\d{4}-(\d\d)-(\d\d) (\d\d:\d\d)$/.exec(when);
      return [`${m[1]}月${m[2]}日  ${m[3]}`, title, link, (alertWords || '').split('|').join('\n')];
    });
  }

  test('screenshot of the page with the review rows', async () => {
    const page = await openPage(session.browser);
    await addRows(page, reviewRows());
    await page.hover('#oTBody0 tr:nth-child(3) a');
    fs.mkdirSync(buildDir, { recursive: true });
    await page.screenshot({ path: path.join(buildDir, 'newslist-page.png') });
    await page.evaluate(() => ShowProgressBusy(true, ''));
    await page.screenshot({ path: path.join(buildDir, 'newslist-page-busy.png') });
    await page.close();

    // As an engine without safe parsing shows them: the titles' text without their markup.
    const plain = await openPage(session.browser, undefined, withoutSafeParsing);
    await addRows(plain, reviewRows());
    await plain.screenshot({ path: path.join(buildDir, 'newslist-page-plain.png') });
    await plain.close();
  });
});
