#pragma once
// The layout container of the structure editor's forms: rows of cells (controls or framed
// groups), placed by ComputeTableLayout, with an optional titled frame around them.

#include <string>
#include <vector>

#include "editing/TableLayout.h"
#include "toolkit/Window.h"

namespace brae {

class Table : public Window {
 public:
  struct Cell {
    Window* window = nullptr;
    bool framed = false;  // a nested container (a framed group) rather than a plain control
  };

  Table(Window* parent, const TableShape& settings);
  const char* ClassName() const override { return "Table"; }
  void DrawContent() override;

  void AddRow() { rows_.emplace_back(); }
  // Adds to the last row (starting one when there is none); the window becomes a child.
  void AddCell(Window* window, bool framed);
  // Places the cells from their current sizes and sizes the table to fit.
  void Arrange();

  const std::vector<std::vector<Cell>>& Rows() const { return rows_; }
  const TableShape& Settings() const { return settings_; }
  bool IsTitled() const { return settings_.has_text; }

 private:
  TableShape settings_;
  std::vector<std::vector<Cell>> rows_;
};

// A static line of text sized to its text.
class FormLabel : public Window {
 public:
  FormLabel(Window* parent, const std::string& text);
  const char* ClassName() const override { return "FormLabel"; }
  void DrawContent() override;
};

}  // namespace brae
