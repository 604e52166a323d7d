// Answers the installer control's GetLocation event: telling the control the
// page's own address installs (when needed) and starts the Tavik client.
function TavikAnswerLocation(control) {
  if (!control || control.CurrentUrl) {
    return;
  }
  control.CurrentUrl = String(document.location.href);
}
