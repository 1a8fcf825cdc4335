// TAdvSetDlg: the advanced settings dialog, a view over fotoloom::AdvancedDialog (its fields,
// its kept values and its handlers). Owned by the wizard window and shown modally from page 6.
#pragma once

#include <QDialog>

#include "wizard/advanced_dialog.h"
#include "wizard/window/binder.h"

namespace fotoloom {

class FitScrollArea;

class TAdvSetDlg : public QDialog {
  Q_OBJECT
 public:
  // dispatch runs one handler and shows both windows again (TMainDlg::Dispatch); help opens
  // the help at a context number.
  TAdvSetDlg(AdvancedDialog& dialog, Binder::Dispatcher dispatch, std::function<void(int)> help,
             QWidget* parent);

  void SyncFromModel();
  // Fits the dialog into a screen's available area (its groups scroll where they must) and
  // centres it there.
  void FitIntoScreen(const QRect& available);

  // Closing by "&Cancel", Esc or the title-bar button.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Build();

  AdvancedDialog& dialog_;
  Binder::Dispatcher dispatch_;
  std::function<void(int)> help_;
  Binder binder_;
  FitScrollArea* groups_area_ = nullptr;
};

}  // namespace fotoloom
