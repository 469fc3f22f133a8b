#include <gtest/gtest.h>

#include "runtime/popup_menu.h"

namespace {

std::string Describe(const std::vector<rt::PopupItem>& items) {
  std::string out;
  for (const auto& i : items) {
    switch (i.kind) {
      case rt::PopupItem::Kind::Item:
        out += std::to_string(i.number) + ":" + (i.grayed ? "~" : "") + (i.checked ? "+" : "") + i.text + ";";
        break;
      case rt::PopupItem::Kind::Separator:
        out += "-;";
        break;
      case rt::PopupItem::Kind::SubmenuBegin:
        out += i.text + "{;";
        break;
      case rt::PopupItem::Kind::SubmenuEnd:
        out += "};";
        break;
    }
  }
  return out;
}

TEST(PopupSelection, ItemsAreNumberedAsTheyAreMade) {
  struct {
    const char* selection;
    const char* items;
  } cases[] = {
      {"|Facturas|Recibos", "1:Facturas;2:Recibos;"},
      {"a||b|", "1:a;2:b;"},
      {"|||", ""},
      {"a|-|b", "1:a;-;2:b;"},
      {"~grey|+checked|-dash|~+both", "1:~grey;2:+checked;3:dash;4:~+both;"},
      {"[spec]text|x", "1:text;2:x;"},
      {"top{inner|two}|after", "top{;1:inner;2:two;};3:after;"},
      {"trailing   ", "1:trailing;"},
      {"&Access", "1:&Access;"},
  };
  for (const auto& c : cases) EXPECT_EQ(Describe(rt::ParsePopupSelection(c.selection)), c.items) << c.selection;
}

TEST(PopupSelection, NoItemsReturnsZeroWithoutShowingAMenu) {
  EXPECT_EQ(rt::PopupMenu("|||"), 0);
  EXPECT_EQ(rt::PopupMenu(""), 0);
}

}  // namespace
