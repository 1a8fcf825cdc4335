#include "wizard/window/adv_set_dlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "wizard/window/widgets.h"

namespace fotoloom {
namespace {

constexpr int kHelpContext = 180;
constexpr int kHelpButtonContext = 97;

QGridLayout* NewGrid(QGroupBox* box) {
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(10, 6, 10, 8);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(4);
  return grid;
}

template <class W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

}  // namespace

TAdvSetDlg::TAdvSetDlg(AdvancedDialog& dialog, Binder::Dispatcher dispatch,
                       std::function<void(int)> help, QWidget* parent)
    : QDialog(parent),
      dialog_(dialog),
      dispatch_(std::move(dispatch)),
      help_(std::move(help)),
      binder_(dispatch_) {
  setObjectName("TAdvSetDlg");
  setWindowTitle(QString::fromStdString(dialog_.fields().caption));
  setFixedSize(438, 389);
  setModal(true);
  Build();

  AdvancedDialogModel& f = dialog_.fields();
  auto edit = [this](const char* name) { return findChild<QLineEdit*>(name); };
  auto check = [this](const char* name) { return findChild<QCheckBox*>(name); };
  auto button = [this](const char* name) { return findChild<QPushButton*>(name); };
  binder_.BindEdit(f.editThumbDirectory, edit("editThumbDirectory"));
  binder_.BindCheck(f.chkboxEraseExistingFiles, check("chkboxEraseExistingFiles"));
  binder_.BindEdit(f.editEmptyThumbnail, edit("editEmptyThumbnail"));
  binder_.BindButton(f.btnBrowseEmptyThumbnail, button("btnBrowseEmptyThumbnail"));
  binder_.BindEdit(f.editPrevious, edit("editPrevious"));
  binder_.BindEdit(f.editNext, edit("editNext"));
  binder_.BindEdit(f.editIndex, edit("editIndex"));
  binder_.BindCheck(f.chkboxSlideShow, check("chkboxSlideShow"));
  binder_.BindNumber(f.seditSlideDelay, findChild<NumberSpin*>("seditSlideDelay"));
  binder_.BindButton(f.btnOK, button("btnOK"));
  binder_.BindButton(f.btnCancel, button("btnCancel"));
  binder_.BindButton(f.btnAbout, button("btnAbout"));
  binder_.BindButton(f.btnHelp, button("btnHelp"));

  connect(button("btnOK"), &QPushButton::clicked, this, [this] {
    bool close = false;
    dispatch_([this, &close] { close = dialog_.btnOKClick(); });
    if (close) accept();
  });
  connect(button("btnCancel"), &QPushButton::clicked, this, &TAdvSetDlg::reject);
  connect(button("btnAbout"), &QPushButton::clicked, this,
          [this] { dispatch_([this] { dialog_.btnAboutClick(); }); });
  connect(button("btnHelp"), &QPushButton::clicked, this,
          [this] { dispatch_([this] { dialog_.btnHelpClick(); }); });
  connect(button("btnBrowseEmptyThumbnail"), &QPushButton::clicked, this,
          [this] { dispatch_([this] { dialog_.btnBrowseEmptyThumbnailClick(); }); });
  SyncFromModel();
}

void TAdvSetDlg::Build() {
  // Left column: the three groups, in keyboard order; right column: the buttons.
  auto* dir = Named(new QGroupBox("Thumbnail Directory", this), "grpBoxThumbnailDirectory");
  dir->setGeometry(8, 6, 332, 178);
  auto* grid = NewGrid(dir);
  auto* dir_text = Named(new QLabel("Subdirectory where generated data files will be stored:"),
                         "stxtThumbDirectory");
  dir_text->setWordWrap(true);
  grid->addWidget(dir_text, 0, 0, 1, 2);
  grid->addWidget(Named(new QLineEdit, "editThumbDirectory"), 1, 0, 1, 2);
  grid->addWidget(Named(new QCheckBox("Clean up this directory"), "chkboxEraseExistingFiles"), 2, 0,
                  1, 2);
  auto* empty_text =
      Named(new QLabel("Alternative image source, if original file is not openable:"),
            "stxtEmptyThumbnail");
  empty_text->setWordWrap(true);
  grid->addWidget(empty_text, 3, 0, 1, 2);
  grid->addWidget(Named(new QLineEdit, "editEmptyThumbnail"), 4, 0, 1, 2);
  auto* browse = Named(new QPushButton("&Browse"), "btnBrowseEmptyThumbnail");
  browse->setAutoDefault(false);
  grid->addWidget(browse, 5, 1, Qt::AlignRight);
  grid->setColumnStretch(0, 1);

  auto* nav = Named(new QGroupBox("Navigation Texts", this), "grpboxNavText");
  nav->setGeometry(8, 190, 332, 106);
  grid = NewGrid(nav);
  const char* labels[][2] = {
      {"stextPrevious", "Previous:"}, {"stextNext", "Next:"}, {"stextIndex", "Index:"}};
  const char* edits[] = {"editPrevious", "editNext", "editIndex"};
  for (int i = 0; i < 3; ++i) {
    grid->addWidget(Named(new QLabel(labels[i][1]), labels[i][0]), i, 0);
    grid->addWidget(Named(new QLineEdit, edits[i]), i, 1);
  }
  grid->setColumnStretch(1, 1);

  auto* slide = Named(new QGroupBox("Slide Show Settings", this), "grpSlideShow");
  slide->setGeometry(8, 302, 332, 80);
  grid = NewGrid(slide);
  grid->addWidget(Named(new QCheckBox("Create automated Web slide show"), "chkboxSlideShow"), 0, 0,
                  1, 2);
  grid->addWidget(Named(new QLabel("Delay between slides (seconds):"), "stextSlideDelay"), 1, 0);
  auto* delay = Named(new NumberSpin(1, 10000, slide), "seditSlideDelay");
  delay->setMinimumWidth(72);
  grid->addWidget(delay, 1, 1, Qt::AlignLeft);
  grid->setColumnStretch(1, 1);

  const char* buttons[][2] = {
      {"btnOK", "&OK"}, {"btnCancel", "&Cancel"}, {"btnAbout", "&About"}, {"btnHelp", "&Help"}};
  for (int i = 0; i < 4; ++i) {
    auto* button = Named(new QPushButton(buttons[i][1], this), buttons[i][0]);
    button->setGeometry(349, 12 + i * 31, 81, 25);
    button->setAutoDefault(false);
  }
  findChild<QPushButton*>("btnOK")->setDefault(true);
}

void TAdvSetDlg::SyncFromModel() { binder_.Show(); }

void TAdvSetDlg::reject() {
  dispatch_([this] { dialog_.btnCancelClick(); });
  QDialog::reject();
}

void TAdvSetDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  findChild<QPushButton*>("btnOK")->setFocus();
}

void TAdvSetDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    const bool on_help = focusWidget() == findChild<QPushButton*>("btnHelp");
    if (help_) help_(on_help ? kHelpButtonContext : kHelpContext);
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace fotoloom
