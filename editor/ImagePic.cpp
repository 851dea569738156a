#include "editor/ImagePic.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QKeyEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace velvane {

namespace {

// Escape, pressed anywhere in the dialog, ends it as Cancel.
class EscapeCloses : public QObject {
public:
    EscapeCloses(TForm* form, QObject* parent) : QObject(parent), form_(form) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) return false;
        form_->ModalResult = mrCancel;
        return true;
    }

private:
    TForm* form_;
};

} // namespace

TFormPicture::TFormPicture(TComponent* owner) : TForm(owner)
{
    SetName("FormPicture");
    QWidget* window = Widget();
    window->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    SetCaption("Imagem");
    Position = TPosition::poScreenCenter;
    KeyPreview = true;

    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ToolBar = new QWidget(window);
    ToolBar->setObjectName("ToolBar");
    ToolBar->setFixedHeight(30);
    auto* buttons = new QHBoxLayout(ToolBar);
    buttons->setContentsMargins(2, 2, 2, 2);
    Btn_1 = new TBitBtn(this, ToolBar);
    Btn_1->setObjectName("Btn_1");
    Btn_1->setToolTip("Remover imagem");
    Btn_1->setDefault(true);
    Btn_1->ModalResult = mrOk;
    Btn_2 = new TBitBtn(this, ToolBar);
    Btn_2->setObjectName("Btn_2");
    Btn_2->setToolTip("Voltar");
    Btn_2->ModalResult = mrCancel;
    Btn_3 = new TBitBtn(this, ToolBar);
    Btn_3->setObjectName("Btn_3");
    Btn_3->SetKind(TBitBtnKind::bkAll);
    Btn_3->setText("&Aplicar imagem");
    Btn_3->setToolTip("Aplicar imagem ao papel de parede");
    for (QWidget* b : {static_cast<QWidget*>(Btn_1), static_cast<QWidget*>(Btn_2), static_cast<QWidget*>(Btn_3)})
        buttons->addWidget(b);
    buttons->addStretch(1);
    layout->addWidget(ToolBar);

    auto* area = new QWidget(window);
    auto* stack = new QVBoxLayout(area);
    stack->setContentsMargins(0, 0, 0, 0);
    Image = new QLabel(area);
    Image->setObjectName("Image");
    Image->setAlignment(Qt::AlignCenter);
    MsgLabel = new QLabel("Imagem indisponível", area);
    MsgLabel->setObjectName("MsgLabel");
    MsgLabel->setAlignment(Qt::AlignCenter);
    MsgLabel->setVisible(false);
    stack->addWidget(Image, 1);
    stack->addWidget(MsgLabel, 1);
    layout->addWidget(area, 1);
    SetClientSize(219, 69);

    window->installEventFilter(new EscapeCloses(this, window));
}

void TFormPicture::FitPicture(const QImage& picture)
{
    picture_ = picture;
    QScreen* screen = Widget()->screen() ? Widget()->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    // Room for the frame the window manager puts around the window.
    constexpr int kFrameWidth = 16;
    constexpr int kFrameHeight = 48;
    const int toolBar = ToolBar->height();
    const QSize room(std::max(area.width() - kFrameWidth, 1), std::max(area.height() - kFrameHeight - toolBar, 1));
    QSize shown = picture.size();
    if (shown.width() > room.width() || shown.height() > room.height()) {
        shown = shown.scaled(room, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        Image->setPixmap(QPixmap::fromImage(picture.scaled(shown, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    } else {
        Image->setPixmap(QPixmap::fromImage(picture));
    }
    SetClientSize(std::max(shown.width(), 200), shown.height() + toolBar);
}

void TFormPicture::SetPicture(const QImage& picture)
{
    picture_ = picture;
    Image->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
}

void TFormPicture::SetClientSize(int width, int height)
{
    Widget()->setFixedSize(width, height);
}

int TFormPicture::ClientWidth() const { return Widget()->width(); }

int TFormPicture::ClientHeight() const { return Widget()->height(); }

void TFormPicture::SetImageVisible(bool visible)
{
    Image->setVisible(visible);
    MsgLabel->setVisible(!visible);
}

} // namespace velvane
