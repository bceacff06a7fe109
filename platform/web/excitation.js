// The excitation chosen on the page, as `forced-vibration --excitation KIND`
// chooses it: a control beside the answer box, read by every run the page
// starts (a specimen is always forced by a force).
const control = document.getElementById('excitation');
const kinds = ['force', 'base', 'unbalance'];

// The program's arguments for the chosen excitation; none for a force.
export function excitationArgs() {
  return control.value === 'force' ? [] : ['--excitation', control.value];
}

// The chosen excitation's name.
export function chosenExcitation() {
  return control.value;
}

// Choose an excitation by name; false, the choice untouched, for an unknown one.
export function chooseExcitation(kind) {
  if (!kinds.includes(kind)) return false;
  control.value = kind;
  return true;
}
