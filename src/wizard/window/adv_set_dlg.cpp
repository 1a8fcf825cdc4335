#include "wizard/window/adv_set_dlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
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

QGridLayout* NewGrid(QGroupBox* box, double scale) {
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(Scaled(10, scale), Scaled(6, scale), Scaled(10, scale),
                           Scaled(8, scale));
  grid->setHorizontalSpacing(Scaled(8, scale));
  grid->setVerticalSpacing(Scaled(4, scale));
  return grid;
}

// A text wrapped to the width of its group, however wide that is, naming field.
QLabel* WrappedLabel(const char* text, const char* name, QWidget* field) {
  auto* label = Named(new QLabel(text), name);
  label->setBuddy(field);
  label->setWordWrap(true);
  QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Minimum);
  policy.setHeightForWidth(true);
  label->setSizePolicy(policy);
  return label;
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
  setModal(true);
  Build();

  AdvancedDialogModel& f = dialog_.fields();
  auto button = [this](const char* name) { return findChild<QPushButton*>(name); };
  for (const SettingRow& row : SettingRows()) {
    if (row.in_dialog()) binder_.BindSetting(ControlOf(row, f), this, row.control);
  }
  binder_.BindButton(f.btnBrowseEmptyThumbnail, button("btnBrowseEmptyThumbnail"));
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
  // Left column: the four groups, in keyboard order; right column: the buttons. At the usual
  // font the dialog is as wide as ever and grows by the display group's height; a larger font
  // scales it.
  const double scale = FontScale(font());
  auto* row = new QHBoxLayout(this);
  row->setSizeConstraint(QLayout::SetFixedSize);
  row->setContentsMargins(Scaled(8, scale), Scaled(6, scale), Scaled(8, scale), Scaled(7, scale));
  row->setSpacing(Scaled(9, scale));
  auto* column = new QWidget;
  auto* groups = new QVBoxLayout(column);
  groups->setContentsMargins(0, 0, 0, 0);
  groups->setSpacing(Scaled(6, scale));

  auto* dir = Named(new QGroupBox("Thumbnail Directory", this), "grpBoxThumbnailDirectory");
  dir->setMinimumWidth(Scaled(332, scale));
  auto* grid = NewGrid(dir, scale);
  auto* thumb_dir = Named(new QLineEdit, "editThumbDirectory");
  grid->addWidget(WrappedLabel("Subdirectory where generated data files will be stored:",
                               "stxtThumbDirectory", thumb_dir),
                  0, 0, 1, 2);
  grid->addWidget(thumb_dir, 1, 0, 1, 2);
  grid->addWidget(Named(new QCheckBox("Clean up this directory"), "chkboxEraseExistingFiles"), 2, 0,
                  1, 2);
  auto* empty = Named(new QLineEdit, "editEmptyThumbnail");
  grid->addWidget(WrappedLabel("Alternative image source, if original file is not openable:",
                               "stxtEmptyThumbnail", empty),
                  3, 0, 1, 2);
  grid->addWidget(empty, 4, 0, 1, 2);
  auto* browse = Named(new QPushButton("&Browse"), "btnBrowseEmptyThumbnail");
  browse->setAccessibleName("Browse for Alternative Image");
  grid->addWidget(browse, 5, 1, Qt::AlignRight);
  grid->setColumnStretch(0, 1);
  groups->addWidget(dir);

  auto* nav = Named(new QGroupBox("Navigation Texts", this), "grpboxNavText");
  grid = NewGrid(nav, scale);
  const char* labels[][2] = {{"stextPrevious", "Previous:"},
                             {"stextNext", "Next:"},
                             {"stextIndex", "Index:"},
                             {"stextUp", "Up:"}};
  const char* edits[] = {"editPrevious", "editNext", "editIndex", "editUp"};
  for (int i = 0; i < 4; ++i) {
    auto* edit = Named(new QLineEdit, edits[i]);
    auto* label = Named(new QLabel(labels[i][1]), labels[i][0]);
    label->setBuddy(edit);
    grid->addWidget(label, i, 0);
    grid->addWidget(edit, i, 1);
  }
  grid->setColumnStretch(1, 1);
  groups->addWidget(nav);

  auto* slide = Named(new QGroupBox("Slide Show Settings", this), "grpSlideShow");
  grid = NewGrid(slide, scale);
  grid->addWidget(Named(new QCheckBox("Create automated Web slide show"), "chkboxSlideShow"), 0, 0,
                  1, 2);
  auto* delay = Named(new NumberSpin(slide), "seditSlideDelay");
  auto* delay_label = Named(new QLabel("Delay between slides (seconds):"), "stextSlideDelay");
  delay_label->setBuddy(delay);
  grid->addWidget(delay_label, 1, 0);
  delay->setMinimumWidth(Scaled(72, scale));
  grid->addWidget(delay, 1, 1, Qt::AlignLeft);
  grid->setColumnStretch(1, 1);
  groups->addWidget(slide);

  auto* display = Named(new QGroupBox("Display", this), "grpDisplay");
  grid = NewGrid(display, scale);
  grid->addWidget(
      Named(new QCheckBox("Show previews that fit the browser window"), "chkboxPreviewImages"), 0,
      0, 1, 4);
  grid->addWidget(Named(new QLabel("Preview size (pixels):"), "stextPreviewSize"), 1, 0);
  auto* width = Named(new NumberSpin(display), "seditPreviewWidth");
  auto* height = Named(new NumberSpin(display), "seditPreviewHeight");
  auto* times = Named(new QLabel(QString::fromUtf8("\u00D7")), "stextPreviewTimes");
  for (NumberSpin* side : {width, height}) side->setMinimumWidth(Scaled(72, scale));
  width->setAccessibleName("Preview width");
  height->setAccessibleName("Preview height");
  grid->addWidget(width, 1, 1);
  grid->addWidget(times, 1, 2);
  grid->addWidget(height, 1, 3, Qt::AlignLeft);
  grid->addWidget(
      Named(new QCheckBox("Sharp thumbnails on high-resolution screens"), "chkboxHiDPIThumbnails"),
      2, 0, 1, 4);
  const AdvancedDialogModel& f = dialog_.fields();
  QStringList styles;
  for (const std::string& item : f.rgrpCatalogStyle.items()) styles << QString::fromStdString(item);
  auto* style = Named(new RadioGroupBox("Catalog style", styles, display), "rgrpCatalogStyle");
  // Each choice's text is its short description; the longer one is the modern choice's tip.
  const QString modern =
      "Pages that reflow to any screen, turn with the arrow keys or a swipe, go full screen and "
      "always show previews; their slide show pauses.";
  style->Button(kModernCatalog)->setToolTip(modern);
  style->Button(kModernCatalog)->setAccessibleDescription(modern);
  grid->addWidget(style, 3, 0, 1, 4);
  grid->addWidget(Named(new QCheckBox("Also list HEIC, AVIF, WebP and TIFF photos"),
                        "chkboxExtendedFormats"),
                  4, 0, 1, 4);
  grid->addWidget(
      Named(new QCheckBox("Use the date the photo was taken"), "chkboxUseDateTaken"), 5, 0, 1, 4);
  grid->addWidget(
      Named(new QCheckBox("Show camera details on image pages"), "chkboxShowPhotoDetails"), 6, 0,
      1, 4);
  grid->setColumnStretch(3, 1);
  groups->addWidget(display);
  groups->addStretch(1);
  // The groups scroll on a screen too small for them; the buttons stay in sight.
  groups_area_ = Named(new FitScrollArea(column, this), "scrollGroups");
  row->addWidget(groups_area_);

  // Enter presses the button that has the focus, and "&OK" while the focus is elsewhere.
  auto* buttons = new QVBoxLayout;
  buttons->setContentsMargins(0, Scaled(6, scale), 0, 0);
  buttons->setSpacing(Scaled(6, scale));
  const char* captions[][2] = {
      {"btnOK", "&OK"}, {"btnCancel", "&Cancel"}, {"btnAbout", "&About"}, {"btnHelp", "&Help"}};
  for (const auto& [name, caption] : captions) {
    auto* button = Named(new QPushButton(caption, this), name);
    button->setMinimumSize(Scaled(81, scale), Scaled(25, scale));
    buttons->addWidget(button);
  }
  buttons->addStretch(1);
  row->addLayout(buttons);
  for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(true);
  findChild<QPushButton*>("btnOK")->setDefault(true);
}

void TAdvSetDlg::SyncFromModel() { binder_.Show(); }

void TAdvSetDlg::FitIntoScreen(const QRect& available) {
  FitWindowIntoScreen(this, groups_area_, available);
}

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
