// The shared controls: the type-ahead serial box, the proportional layout and the image static.

#include <QAbstractItemView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "app/ui/controls/combo_completion.h"
#include "app/ui/controls/images.h"
#include "app/ui/controls/proportional_layout.h"
#include "app/ui/controls/self_pstatic.h"

using kest::ui::CComboCompletion;

class ControlsTest final : public QObject {
  Q_OBJECT

 private slots:
  void TypeAheadOpensTheListOnlyForABeginningOfAnEntry();
  void EnterClosesTheListAndKeepsOrCompletesTheText();
  void ProportionalLayoutScalesEdgesAndTruncates();
  void ImageStaticPaintsItsPictureUnderItsText();
};

namespace {

struct ComboFixture {
  ComboFixture() {
    combo = new CComboCompletion(&window);
    combo->setGeometry(10, 10, 200, 30);
    combo->addItems({"KS0100001", "KS0100002", "XT77"});
    window.resize(400, 300);
    window.show();
    window.activateWindow();
    combo->setFocus();
    combo->lineEdit()->clear();
  }
  void Type(const QString& text) {
    QTest::keyClicks(combo, text);
    QTest::qWait(30);  // the list opens after the edit, as a posted notice
  }
  QWidget window;
  CComboCompletion* combo;
};

}  // namespace

void ControlsTest::TypeAheadOpensTheListOnlyForABeginningOfAnEntry() {
  ComboFixture f;
  QSignalSpy changed(f.combo, &CComboCompletion::selectionChanged);

  f.Type("ks01");  // letter case ignored; two entries begin alike
  QVERIFY(f.combo->IsListOpen());
  QCOMPARE(f.combo->currentText(), QString("ks01"));
  QVERIFY(changed.count() > 0);

  f.Type("9");  // "ks019" begins no entry
  QVERIFY(!f.combo->IsListOpen());
  QCOMPARE(f.combo->currentText(), QString("ks019"));
  QCOMPARE(f.combo->lineEdit()->cursorPosition(), 5);

  for (int i = 0; i < 5; ++i) QTest::keyClick(f.combo, Qt::Key_Backspace);
  QTest::qWait(30);
  QVERIFY(!f.combo->IsListOpen());
  QCOMPARE(f.combo->currentText(), QString());
}

void ControlsTest::EnterClosesTheListAndKeepsOrCompletesTheText() {
  {
    ComboFixture f;
    QSignalSpy ended(f.combo, &CComboCompletion::selectionEnded);
    f.Type("KS01");
    QVERIFY(f.combo->IsListOpen());
    QTest::keyClick(f.combo, Qt::Key_Return);
    QTest::qWait(30);
    QVERIFY(!f.combo->IsListOpen());
    QCOMPARE(ended.count(), 1);
    QCOMPARE(f.combo->currentText(), QString("KS01"));  // the owner takes the key
  }
  {
    ComboFixture f;
    f.combo->SetCompleteOnEnter(true);
    QSignalSpy ended(f.combo, &CComboCompletion::selectionEnded);
    f.Type("xt");
    QTest::keyClick(f.combo, Qt::Key_Return);
    QTest::qWait(30);
    QVERIFY(!f.combo->IsListOpen());
    QCOMPARE(ended.count(), 1);
    QCOMPARE(f.combo->currentText(), QString("XT77"));
  }
}

void ControlsTest::ProportionalLayoutScalesEdgesAndTruncates() {
  // Each edge is scaled on its own and truncated toward zero.
  QCOMPARE(kest::ui::ScaleEdges(QRect(10, 20, 30, 40), 1.5f, 0.5f), QRect(15, 10, 45, 20));
  QCOMPARE(kest::ui::ScaleEdges(QRect(3, 3, 3, 3), 1.5f, 1.5f), QRect(4, 4, 5, 5));

  QWidget page;
  page.resize(200, 100);
  auto* child = new QWidget(&page);
  child->setGeometry(20, 10, 100, 50);
  kest::ui::InstallProportionalLayout(&page);
  page.resize(300, 150);
  page.show();
  QCOMPARE(child->geometry(), QRect(30, 15, 150, 75));
  // The new size is the next reference: back to the start gives the start.
  page.resize(200, 100);
  QCoreApplication::processEvents();
  QCOMPARE(child->geometry(), QRect(20, 10, 100, 50));
}

void ControlsTest::ImageStaticPaintsItsPictureUnderItsText() {
  kest::ui::CSelfPStatic label;
  label.resize(287, 32);
  label.backgroundImage = kest::ui::kImageLoginTitle;
  label.imageFlag = true;
  label.centreFlag = true;
  label.textColour = Qt::white;
  label.setText("Existing user login");
  QImage painted = label.grab().toImage();
  QImage picture = kest::ui::LoadImage(kest::ui::kImageLoginTitle).toImage();
  QVERIFY(!picture.isNull());
  // The picture's colour at the left end (no text there), white pixels in the middle.
  QCOMPARE(painted.pixelColor(8, 16).rgb(), picture.pixelColor(8, 16).rgb());
  bool white = false;
  for (int x = 100; x < 190 && !white; ++x) {
    white = painted.pixelColor(x, 16).lightness() > 230;
  }
  QVERIFY(white);

  label.imageFlag = false;
  QImage plain = label.grab().toImage();
  QVERIFY(plain.pixelColor(8, 16).rgb() != picture.pixelColor(8, 16).rgb());
}

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
