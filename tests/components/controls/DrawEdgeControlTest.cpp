#include "components/controls/VELDrawEdge.h"
#include "platform/forms/Form.h"
#include "tests/support/MemoryBytes.h"
#include "tests/support/PixelMap.h"
#include "tests/support/QtApp.h"

#include <gtest/gtest.h>

#include <QEnterEvent>

#include <string>
#include <tuple>
#include <vector>

using namespace velvane;
using velvane::test::PixelMap;

namespace {

struct EdgeControl : ::testing::Test {
    EdgeControl()
    {
        // The parent shows the marker colour wherever the control draws nothing.
        QPalette palette = form.Widget()->palette();
        palette.setColor(QPalette::Window, QColor(0xFF, 0x00, 0xFF));
        form.Widget()->setPalette(palette);
        form.Widget()->setAutoFillBackground(true);
        form.SetBounds(50, 50, 120, 80);
        form.Show();
        edge = new TVELDrawEdge(&form, form.Widget());
        edge->SetBounds(10, 20, 40, 40);
        edge->show();
    }

    // Part of the control as it shows on its parent, as letters.
    std::string Shot(int left, int top, int right, int bottom)
    {
        PixelMap p(1, 1);
        p.image = form.Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        return p.Map(TRect{left + 10, top + 20, right + 10, bottom + 20});
    }

    bool qt = (velvane::test::EnsureQtApp(), true);
    velvane::test::ClassicColours classic;
    TForm form{nullptr};
    TVELDrawEdge* edge = nullptr;
};

} // namespace

TEST_F(EdgeControl, NewControlIsAnEtchedFrameOnAllFourSides)
{
    EXPECT_EQ(Shot(0, 0, 40, 1), std::string(39, 'S') + "H\n");
    EXPECT_EQ(Shot(0, 1, 40, 2), "SH" + std::string(36, 'H') + "SH\n");
    EXPECT_EQ(Shot(0, 20, 40, 21), "SH" + std::string(36, '.') + "SH\n");
    EXPECT_EQ(Shot(0, 38, 40, 40), std::string(39, 'S') + "H\n" + std::string(40, 'H') + "\n");

    // Sunken, soft, the bottom side only.
    edge->SetEdgeStyle(TVELEdgeStyle::etSunken);
    edge->SetFrameSides(FrameSide(TVELFrameSide::fsBottom));
    edge->SetFlag(1, true);
    EXPECT_EQ(Shot(0, 0, 40, 38).find_first_not_of(".\n"), std::string::npos);
    EXPECT_EQ(Shot(0, 38, 40, 40), std::string(40, 'L') + "\n" + std::string(40, 'H') + "\n");

    // A diagonal ending top right over a filled face.
    edge->SetStyle(TVELDrawEdgeStyle::esDiagonal);
    edge->SetDiagonalStyle(TVELDiagonalStyle::dsEndTopRight);
    edge->SetEdgeStyle(TVELEdgeStyle::etEtched);
    edge->SetFlag(0, true);
    edge->SetFlag(1, false);
    EXPECT_EQ(Shot(36, 0, 40, 4), "FFFS\nFFSH\nFSHF\nSHFF\n");

    // The standard style is a border; the edge settings do not count.
    edge->SetStyle(TVELDrawEdgeStyle::esStandard);
    EXPECT_EQ(Shot(0, 0, 3, 3), "SSS\nS..\nS..\n");
}

TEST_F(EdgeControl, BoundsChangesAndMouseEvents)
{
    std::vector<int> kinds;
    edge->OnBoundsChange = [&](TPersistent*, int k) { kinds.push_back(k); };
    edge->SetBounds(12, 20, 40, 40);
    edge->SetBounds(12, 20, 30, 40);
    edge->SetBounds(0, 0, 10, 10);
    edge->SetBounds(0, 0, 10, 10);
    edge->BeginLoading();
    edge->SetBounds(5, 5, 20, 20);
    EXPECT_EQ(kinds, (std::vector<int>{bckMoved, bckResized, bckMoved | bckResized}));

    int entered = 0, left = 0;
    edge->OnMouseEnter = [&](TPersistent*) { ++entered; };
    edge->OnMouseExit = [&](TPersistent*) { ++left; };
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QEvent leave(QEvent::Leave);
    for (int i : {0, 1, 2}) {
        edge->SetEnabled(i != 1);
        edge->SetDesigning(i == 2);
        QCoreApplication::sendEvent(edge, &enter), QCoreApplication::sendEvent(edge, &leave);
    }
    EXPECT_EQ(entered, 1) << "not for a disabled control, nor while designing";
    EXPECT_EQ(left, 1);
}

TEST_F(EdgeControl, AlignAnchorsConstraintsAndHintsArePlacedAndStored)
{
    // A bounded size, kept at the bottom right as the window grows.
    edge->Placement().Constraints().SetBound(1, 30);  // MaxWidth
    edge->Placement().Constraints().SetBound(2, 5);   // MinHeight
    edge->SetBounds(60, 40, 50, 2);
    EXPECT_EQ(edge->geometry(), QRect(60, 40, 30, 5));
    edge->Placement().SetAnchors(akRight | akBottom);
    edge->Hints().SetShowHint(true);
    auto* top = new TVELDrawEdge(&form, form.Widget());
    top->Placement().SetAlign(TAlign::alTop);
    top->SetBounds(5, 5, 10, 8);
    EXPECT_EQ(top->geometry(), QRect(0, 0, 120, 8));
    form.Widget()->resize(150, 100);
    EXPECT_TRUE(test::ProcessEventsUntil([&] { return edge->geometry() == QRect(90, 60, 30, 5); }))
        << edge->geometry().x() << "," << edge->geometry().y();
    EXPECT_EQ(top->width(), 150);

    // The stored form keeps all of it.
    const auto placed = [](TVELDrawEdge* c) {
        auto& p = c->Placement();
        return std::tuple(p.Align(), p.Anchors(), p.Constraints().MaxWidth(), p.Constraints().MinHeight(),
                          c->Hints().ShowHint(), c->Hints().ParentShowHint());
    };
    for (TVELDrawEdge* control : {edge, top}) {
        const std::string bytes = test::StoredFormOf(control);
        TForm other{nullptr};
        auto* copy = new TVELDrawEdge(&other, other.Widget());
        test::ReadStoredForm(bytes, copy);
        EXPECT_EQ(test::StoredFormOf(copy), bytes);
        EXPECT_EQ(placed(copy), placed(control));
    }
    EXPECT_NE(test::StoredFormOf(edge).find("\x07" "Anchors\x0B\x07" "akRight\x08" "akBottom\x00"), std::string::npos);
}
