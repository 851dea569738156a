#pragma once
// TCustomImageList: the class library's list of equally sized images (with
// masks, black opaque), drawn and copied by index, and TChangeLink, through
// which a client hears that a list changed.

#include "platform/classes/Component.h"
#include "platform/graphics/Graphics.h"

#include <functional>
#include <memory>
#include <vector>

namespace velvane {

class TCustomImageList;

class TChangeLink {
public:
    TChangeLink() = default;
    // Leaves the list it is registered with.
    virtual ~TChangeLink();
    TChangeLink(const TChangeLink&) = delete;
    TChangeLink& operator=(const TChangeLink&) = delete;

    TCustomImageList* Sender = nullptr;
    // Called with the list that changed.
    std::function<void(TCustomImageList*)> OnChange;
    void Change();
};

class TCustomImageList : public TComponent {
public:
    explicit TCustomImageList(TComponent* owner) : TComponent(owner) {}
    // Clears the Sender of every link still registered.
    ~TCustomImageList() override;
    const char* ClassName() const override { return "TCustomImageList"; }

    int Width() const { return width_; }
    int Height() const { return height_; }
    // A new size empties the list.
    void SetSize(int width, int height);
    bool Masked = true;
    int Count() const { return static_cast<int>(images_.size()); }

    // Adds one image per Width() columns of image (its height must be
    // Height()), with the same columns of mask when given; answers the
    // index of the first, or -1 for a picture of another height or narrower
    // than one image.
    int Add(const TBitmap& image, const TBitmap* mask);
    void Delete(int index);
    void Clear();

    // Image sized Width() x Height() (the new area in its brush colour)
    // with image index drawn onto it. Raises EListError for a bad index.
    void GetBitmap(int index, TBitmap& image) const;
    // Through the mask when Masked; disabled images are drawn as enabled
    // ones.
    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) const;

    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);
    std::function<void(TCustomImageList*)> OnChange;

protected:
    // Tells every registered link, then OnChange.
    virtual void Change();

private:
    struct Image {
        std::unique_ptr<TBitmap> picture;
        std::unique_ptr<TBitmap> mask;  // null: fully opaque
    };
    const Image& At(int index) const;

    int width_ = 16;
    int height_ = 16;
    std::vector<Image> images_;
    std::vector<TChangeLink*> links_;
};

} // namespace velvane
