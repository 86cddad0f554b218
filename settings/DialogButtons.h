// The "OK" (default) and "Cancel" buttons of the modal dialogs.
#pragma once

class QDialog;
class QDialogButtonBox;

// Wired to the dialog's accept() and reject().
QDialogButtonBox *OkCancelButtons(QDialog *dialog);
