#pragma once
// "Edit Detail Texture Attributes": a material's highlight colour, description (31 characters)
// and detail texture tag, chosen from all 'dtex' tags under "<no tag>".

#include <cstdint>
#include <string>
#include <vector>

#include "media/Image.h"
#include "toolkit/DialogWindow.h"

namespace brae {

class ColorButton;
class ListWindow;
class TextBox;

constexpr const char* kDetailAttributesTitle = "Edit Detail Texture Attributes";

struct DetailAttributes {
  uint32_t texture = 0xFFFFFFFFu;
  Rgb colour;
  std::string description;
};

class DetailAttributesDialog : public DialogWindow {
 public:
  explicit DetailAttributesDialog(const DetailAttributes& start);
  const char* ClassName() const override { return "DetailAttributesDialog"; }
  // The values as the controls now hold them.
  DetailAttributes Result() const;
  ColorButton* ColourButton() const { return colour_; }
  TextBox* DescriptionBox() const { return description_; }
  ListWindow* TagList() const { return tags_; }
  void DrawContent() override;

 private:
  ColorButton* colour_ = nullptr;
  TextBox* description_ = nullptr;
  ListWindow* tags_ = nullptr;
  std::vector<uint32_t> ids_;  // row value -> tag id; row 0 is "<no tag>"
};

// Runs the dialog; true with *attributes updated on OK.
bool EditDetailAttributes(DetailAttributes* attributes);

}  // namespace brae
