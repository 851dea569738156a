#include "editor/ImagePic.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace velvane {

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
