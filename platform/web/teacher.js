// The teacher's page: make a class (its key and its sheets) and grade the
// hand-ins, by the same C++ code as the desktop's --make-class and --grade
// (teacher-lab.js), with qrcode-generator's QR codes on the sheets.
import './offline.js';
import qrcode from './qrcode-generator.js';

const $ = (id) => document.getElementById(id);

// What the tests read (window.fvTeacher): ready once the module has loaded,
// the texts of the last class made and the last grading.
const hooks = { ready: false, made: 0, graded: 0, key: '', sheets: '', grades: '', report: '' };
window.fvTeacher = hooks;

// A QR code of text as an SVG element.
function qrSvg(text) {
  const qr = qrcode(0, 'M');
  qr.addData(text);
  qr.make();
  return qr.createSvgTag({ cellSize: 1, margin: 4, scalable: true, alt: 'QR' });
}

const lab = await createTeacherLab({ fvQrSvg: qrSvg });
const text = (which) => lab.UTF8ToString(lab.ccall('fvTeacherText', 'number', ['number'], [which]));

// Hand a text to the browser as a file, or open it in a tab of its own.
function blobUrl(body, type) {
  const url = URL.createObjectURL(new Blob([body], { type }));
  setTimeout(() => URL.revokeObjectURL(url), 60000);
  return url;
}
function download(name, body) {
  const a = document.createElement('a');
  a.href = blobUrl(body, 'text/csv;charset=utf-8');
  a.download = name;
  a.click();
}

let made = null;   // { name, key, sheets } of the class made on this page
let graded = null; // { file, csv }

$('make').addEventListener('submit', (event) => {
  event.preventDefault();
  const args = [$('class-name').value, $('count').value,
    '--mass-range', $('mass-lo').value, $('mass-hi').value,
    '--om0-range', $('om0-lo').value, $('om0-hi').value,
    '--zeta-range', $('zeta-lo').value, $('zeta-hi').value,
    '--tolerance', $('tolerance').value];
  if ($('feedback').checked) args.push('--feedback');
  if ($('page-url').value) args.push('--page-url', $('page-url').value);
  const status = lab.ccall('fvMakeClass', 'number', ['string'], [args.join('\n')]);
  $('make-status').textContent = text(2);
  made = status === 0 ? { name: args[0], key: text(0), sheets: text(1) } : null;
  $('download-key').disabled = $('open-sheets').disabled = made === null;
  hooks.key = made ? made.key : '';
  hooks.sheets = made ? made.sheets : '';
  hooks.made++;
});
$('download-key').addEventListener('click', () => download(made.name + '-key.csv', made.key));
$('open-sheets').addEventListener('click', () => window.open(blobUrl(made.sheets, 'text/html;charset=utf-8')));

const fileText = (input) => (input.files.length ? input.files[0].text() : Promise.resolve(null));

$('grade').addEventListener('submit', async (event) => {
  event.preventDefault();
  const uploaded = await fileText($('key-file'));
  const key = uploaded !== null ? { file: $('key-file').files[0].name, csv: uploaded }
    : made ? { file: made.name + '-key.csv', csv: made.key } : null;
  const report = $('grade-report');
  if (key === null) {
    report.textContent = '鍵を選んでください / choose the key (NAME-key.csv)';
  } else {
    const handIns = $('hand-ins').value + '\n' + ((await fileText($('hand-in-file'))) ?? '');
    const status = lab.ccall('fvGrade', 'number', ['string', 'string', 'string'],
      [key.file, key.csv, handIns]);
    report.textContent = text(2);
    graded = status === 0 ? { file: text(1), csv: text(0) } : null;
  }
  $('download-grades').disabled = graded === null;
  hooks.grades = graded ? graded.csv : '';
  hooks.report = report.textContent;
  hooks.graded++;
});
$('download-grades').addEventListener('click', () => download(graded.file, graded.csv));

$('make-class').disabled = $('grade-class').disabled = false;
$('page-url').value = new URL('./', location.href).href;
hooks.ready = true;
