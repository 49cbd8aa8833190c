// Building Form1: its controls with their design captions and state, their
// places on the fixed-size window, fonts, and the wiring of their handlers.

#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "gui/filelist/file_list_view.h"
#include "gui/shell/form1.h"
#include "gui/shell/progress_bar.h"

namespace kestrilo {
namespace {

// The window's client size at design time, in twips.
constexpr int kClientWidthTwips = 8040;
constexpr int kClientHeightTwips = 8235;
// Places below are in pixels at 96 dots per inch (15 twips each).
constexpr int kTwipsPerPixel = 15;

template <typename Widget>
Widget* Make(QWidget* parent, const char* name, const QString& caption = {}) {
  auto* widget = new Widget(parent);
  widget->setObjectName(QString::fromLatin1(name));
  if constexpr (std::is_same_v<Widget, QGroupBox>) {
    widget->setTitle(caption);
  } else if constexpr (!std::is_same_v<Widget, FileListView> &&
                       !std::is_same_v<Widget, ProgressBar>) {
    widget->setText(caption);
  }
  return widget;
}

QString FontFamily() {
  // Arial where the platform has it, else its metric twin.
  const QStringList families = QFontDatabase::families();
  if (families.contains(QStringLiteral("Arial")))
    return QStringLiteral("Arial");
  return QStringLiteral("Liberation Sans");
}

QFont BoldFont(double points) {
  QFont font(FontFamily());
  font.setPointSizeF(points);
  font.setBold(true);
  return font;
}

}  // namespace

int Form1::Twips(int twips) const {
  return qRound(twips * logicalDpiX() / 1440.0);
}

void Form1::CreateControls() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("Form1Client"));
  setCentralWidget(client);

  frame4_ = Make<QGroupBox>(client, "Frame4",
                            QStringLiteral("Save Results To This Folder"));
  text1_ = Make<QLineEdit>(frame4_, "Text1");
  push_button2_ =
      Make<QPushButton>(frame4_, "PushButton2", QStringLiteral("..."));
  list_view1_ = Make<FileListView>(client, "ListView1");

  // The flags of the header mode and the title tag. They sit below the
  // client area of the fixed-size window, so the user never sees them.
  check3_ = Make<QCheckBox>(
      client, "Check3",
      QStringLiteral("The first column in selection is a header col"));
  check2_ = Make<QCheckBox>(
      client, "Check2",
      QStringLiteral("The first row in selection is a header row"));
  check1_ =
      Make<QCheckBox>(client, "Check1",
                      QStringLiteral("Use the title found at the cell above."));
  check1_->setChecked(true);
  check2_->setChecked(true);
  check3_->setChecked(false);
  // Out of the tab order too: a box the user cannot see is not one to
  // change by pressing the space bar.
  for (QCheckBox* flag : {check1_, check2_, check3_}) {
    flag->setFocusPolicy(Qt::NoFocus);
  }

  frame3_ = Make<QGroupBox>(client, "Frame3",
                            QStringLiteral("Flip Row-Column Hierarchy"));
  option2_ =
      Make<QRadioButton>(frame3_, "Option2", QStringLiteral("Column First"));
  option1_ =
      Make<QRadioButton>(frame3_, "Option1", QStringLiteral("Row First"));
  option1_->setChecked(true);

  frame2_ = Make<QGroupBox>(
      client, "Frame2",
      QStringLiteral("Title - This will appear as the first and last tag"));
  text2_ = Make<QLineEdit>(frame2_, "Text2", QStringLiteral("XML"));

  frame1_ = Make<QGroupBox>(client, "Frame1", QStringLiteral("Options"));
  option4_ = Make<QRadioButton>(
      frame1_, "Option4",
      QStringLiteral("There are no headers in the selection"));
  option6_ = Make<QRadioButton>(
      frame1_, "Option6",
      QStringLiteral("First row and column in the selection are headers"));
  option3_ = Make<QRadioButton>(
      frame1_, "Option3",
      QStringLiteral("First row in the selection is a header row"));
  option5_ = Make<QRadioButton>(
      frame1_, "Option5",
      QStringLiteral("First column in the selection is a header column"));
  option3_->setChecked(true);
  check_escape_ =
      Make<QCheckBox>(frame1_, "CheckEscape",
                      QStringLiteral("Escape &&, < and > in cell text"));
  check_escape_->setChecked(true);

  push_button6_ = Make<QPushButton>(client, "PushButton6",
                                    QStringLiteral("Add Excel Files"));
  push_button5_ = Make<QPushButton>(
      client, "PushButton5", QStringLiteral("Add All Excel Files In Folder"));
  push_button7_ =
      Make<QPushButton>(client, "PushButton7", QStringLiteral("Clear List"));
  push_button8_ = Make<QPushButton>(client, "PushButton8",
                                    QStringLiteral("Start Exporting To XML"));
  push_button1_ = Make<QPushButton>(
      client, "PushButton1", QStringLiteral("Load Sample/Example Files"));
  progress_bar1_ = Make<ProgressBar>(client, "ProgressBar1");
  progress_bar1_->SetText(QStringLiteral("Progress Bar"));

  for (QPushButton* button : {push_button1_, push_button2_, push_button5_,
                              push_button6_, push_button7_, push_button8_}) {
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::TabFocus);
  }
}

void Form1::PlaceControls() {
  const auto place = [this](QWidget* widget, int x, int y, int width,
                            int height) {
    widget->setGeometry(Twips(x * kTwipsPerPixel), Twips(y * kTwipsPerPixel),
                        Twips(width * kTwipsPerPixel),
                        Twips(height * kTwipsPerPixel));
  };
  setFixedSize(Twips(kClientWidthTwips), Twips(kClientHeightTwips));

  place(list_view1_, 8, 8, 520, 150);
  place(push_button6_, 8, 164, 150, 32);
  place(push_button5_, 164, 164, 262, 32);
  place(push_button7_, 432, 164, 96, 32);

  place(frame1_, 8, 202, 520, 120);
  place(option3_, 14, 20, 500, 19);
  place(option5_, 14, 39, 500, 19);
  place(option6_, 14, 58, 500, 19);
  place(option4_, 14, 77, 500, 19);
  place(check_escape_, 14, 98, 500, 19);

  place(frame3_, 8, 326, 520, 46);
  place(option1_, 14, 20, 200, 20);
  place(option2_, 260, 20, 200, 20);

  place(frame2_, 8, 376, 520, 50);
  place(text2_, 12, 21, 496, 22);

  place(frame4_, 8, 430, 520, 50);
  place(text1_, 12, 21, 456, 22);
  place(push_button2_, 472, 20, 36, 24);

  place(push_button1_, 8, 486, 236, 32);
  place(push_button8_, 250, 486, 278, 32);
  place(progress_bar1_, 8, 524, 520, 18);

  // Below the client area: out of sight.
  place(check3_, 8, 560, 400, 20);
  place(check2_, 8, 580, 400, 20);
  place(check1_, 8, 600, 400, 20);
}

void Form1::ApplyFonts() {
  setFont(BoldFont(9));
  list_view1_->setFont(BoldFont(9));
  for (QPushButton* button : {push_button1_, push_button5_, push_button6_,
                              push_button7_, push_button8_, push_button2_}) {
    button->setFont(BoldFont(11.25));
  }
}

void Form1::ConnectHandlers() {
  const auto on_select = [this](QRadioButton* option,
                                void (Form1::*handler)()) {
    connect(option, &QRadioButton::toggled, this, [this, handler](bool on) {
      if (on) (this->*handler)();
    });
  };
  on_select(option1_, &Form1::Option1_Click);
  on_select(option2_, &Form1::Option2_Click);
  on_select(option3_, &Form1::Option3_Click);
  on_select(option4_, &Form1::Option4_Click);
  on_select(option5_, &Form1::Option5_Click);
  on_select(option6_, &Form1::Option6_Click);
  connect(check2_, &QCheckBox::toggled, this, [this] { Check2_Click(); });
  connect(check3_, &QCheckBox::toggled, this, [this] { Check3_Click(); });
  connect(check_escape_, &QCheckBox::toggled, this,
          [this] { CheckEscape_Click(); });
  connect(text1_, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
  connect(text2_, &QLineEdit::textChanged, this, [this] { Text2_Change(); });

  connect(push_button1_, &QPushButton::clicked, this,
          &Form1::PushButton1_Click);
  connect(push_button2_, &QPushButton::clicked, this,
          &Form1::PushButton2_Click);
  connect(push_button5_, &QPushButton::clicked, this,
          &Form1::PushButton5_Click);
  connect(push_button6_, &QPushButton::clicked, this,
          &Form1::PushButton6_Click);
  connect(push_button7_, &QPushButton::clicked, this,
          &Form1::PushButton7_Click);
  connect(push_button8_, &QPushButton::clicked, this,
          &Form1::PushButton8_Click);

  // The pointer rule: the hand over the command buttons, the default
  // pointer over the window, the list, the frames, the option buttons and
  // the output folder box.
  for (QPushButton* button : {push_button1_, push_button2_, push_button5_,
                              push_button6_, push_button7_, push_button8_}) {
    WatchPointer(button, Pointer::kCustom);
  }
  for (QWidget* widget :
       {centralWidget(), static_cast<QWidget*>(list_view1_),
        list_view1_->viewport(), static_cast<QWidget*>(frame1_),
        static_cast<QWidget*>(frame2_), static_cast<QWidget*>(frame3_),
        static_cast<QWidget*>(frame4_), static_cast<QWidget*>(option1_),
        static_cast<QWidget*>(option2_), static_cast<QWidget*>(option3_),
        static_cast<QWidget*>(option4_), static_cast<QWidget*>(option5_),
        static_cast<QWidget*>(option6_), static_cast<QWidget*>(text1_)}) {
    WatchPointer(widget, Pointer::kDefault);
  }
}

void Form1::WatchPointer(QWidget* widget, Pointer pointer) {
  hover_pointers_.insert(widget, pointer);
  widget->setMouseTracking(true);
  // A button ignores pointer moves, which then travel on to its frame or
  // the window and would set the default pointer over it at once.
  if (pointer == Pointer::kCustom) {
    widget->setAttribute(Qt::WA_NoMousePropagation);
  }
  widget->installEventFilter(this);
}

}  // namespace kestrilo
