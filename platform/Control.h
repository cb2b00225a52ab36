// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/Color.h"

namespace platform {

class Form;

enum class Align { None, Top, Bottom, Left, Right, Client };
enum class TextAlign { Left, Center, Right };

struct Font {
    std::string name = "MS Sans Serif";
    int size = 8;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    Color color = clBlack;
    friend bool operator==(const Font&, const Font&) = default;
};

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Key codes of the keys the program's handlers look at.
enum KeyCode : int {
    VK_BACK = 8,
    VK_TAB = 9,
    VK_RETURN = 13,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_END = 35,
    VK_HOME = 36,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_DELETE = 46,
    VK_F2 = 113,
};

// What changed on a control, so that a back end can bring its widget up to
// date.
enum class Property {
    Text,
    Color,
    Font,
    Bounds,
    Visible,
    Enabled,
    Selection,
    Content,
    Layout,
    Focus,
    AccessibleName
};

// A back end's widget for one control. The control is the source of truth;
// the peer mirrors it and feeds the user's actions back through the
// control's user* operations.
class ControlPeer {
  public:
    virtual ~ControlPeer() = default;
    virtual void changed(Property what) = 0;
};

class Control;
using NotifyEvent = std::function<void(Control& sender)>;

class Control {
  public:
    Control(Control* parent, std::string name);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // The toolkit class name ("TLabel", "TEdit", ...).
    virtual std::string className() const = 0;

    const std::string& name() const { return m_name; }
    Control* parent() const { return m_parent; }
    Form* form() const;
    const std::vector<std::unique_ptr<Control>>& children() const { return m_children; }
    Control* findChild(const std::string& name) const;  // depth-first, by name

    // Creates a child control owned by this one.
    template <class T, class... Args>
    T* add(std::string name, Args&&... args) {
        auto child = std::make_unique<T>(this, std::move(name), std::forward<Args>(args)...);
        T* raw = child.get();
        adopt(std::move(child));
        return raw;
    }

    // Geometry relative to the parent's top-left corner, in pixels.
    const Rect& bounds() const { return m_bounds; }
    void setBounds(int left, int top, int width, int height);
    void setBounds(const Rect& r) { setBounds(r.left, r.top, r.width, r.height); }
    void setWidth(int width) { setBounds(m_bounds.left, m_bounds.top, width, m_bounds.height); }
    void setHeight(int height) { setBounds(m_bounds.left, m_bounds.top, m_bounds.width, height); }
    Align align() const { return m_align; }
    void setAlign(Align align);
    // The area inside the control in which aligned children are placed.
    virtual Rect alignArea() const { return {0, 0, m_bounds.width, m_bounds.height}; }
    // Places the aligned children, then theirs.
    void realign();

    bool visible() const { return m_visible; }
    void setVisible(bool visible);
    // Visible and every parent visible (a form counts when shown).
    bool showing() const;
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    const std::string& text() const { return m_text; }
    virtual void setText(const std::string& text);
    const Color& color() const { return m_color; }
    void setColor(Color color);
    const Font& font() const { return m_font; }
    void setFont(const Font& font);
    TextAlign textAlign() const { return m_textAlign; }
    void setTextAlign(TextAlign a);

    // What assistive technology says: the name ("z") and, for value fields,
    // the shown text as the description.
    const std::string& accessibleName() const { return m_accessibleName; }
    // A shown name that changes (a row that now stands for another input)
    // reaches the peer, so that a screen reader reads the new one.
    void setAccessibleName(const std::string& name);
    bool tabStop() const { return m_tabStop; }
    void setTabStop(bool on) { m_tabStop = on; }

    NotifyEvent OnClick;
    // After its width or height changed, by a caller or by its alignment,
    // before its children are aligned to the new size.
    NotifyEvent OnResize;
    // A click by the user: runs OnClick under the application's exception
    // handler.
    void userClick();

    ControlPeer* peer() const { return m_peer; }
    void setPeer(ControlPeer* peer) { m_peer = peer; }

  protected:
    void notify(Property what);
    void adopt(std::unique_ptr<Control> child);

  private:
    Control* m_parent;
    std::string m_name;
    std::vector<std::unique_ptr<Control>> m_children;
    Rect m_bounds;
    Align m_align = Align::None;
    bool m_visible = true;
    bool m_enabled = true;
    std::string m_text;
    Color m_color = clBtnFace;
    Font m_font;
    TextAlign m_textAlign = TextAlign::Left;
    std::string m_accessibleName;
    bool m_tabStop = false;
    ControlPeer* m_peer = nullptr;
};

// One piece of a label: plain text, a raised (superscript, not bold) part
// such as the "-1" of "cm-1", or a colour swatch of the colour key.
struct LabelRun {
    LabelRun(std::string text, bool raised = false) : text(std::move(text)), raised(raised) {}
    LabelRun(const char* text, bool raised = false) : text(text), raised(raised) {}
    static LabelRun swatchOf(Color c) {
        LabelRun run("");
        run.swatch = c;
        return run;
    }
    std::string text;
    bool raised = false;
    std::optional<Color> swatch;
};

class Label : public Control {
  public:
    Label(Control* parent, std::string name, const std::string& caption = {});
    std::string className() const override { return "TLabel"; }
    void setText(const std::string& text) override;
    // The caption in pieces; text() is the text of the pieces joined.
    void setRuns(std::vector<LabelRun> runs);
    const std::vector<LabelRun>& runs() const { return m_runs; }
    // A plain caption longer than the label's width goes on in lines below,
    // broken between words; set before it shows.
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool on) { m_wordWrap = on; }

  private:
    std::vector<LabelRun> m_runs;
    bool m_wordWrap = false;
};

// A static text with a sunken border; as a value field it is clickable and
// its colour tells the role of its value.
class StaticText : public Control {
  public:
    StaticText(Control* parent, std::string name, const std::string& text = {});
    std::string className() const override { return "TStaticText"; }
    bool sunken() const { return m_sunken; }
    void setSunken(bool on);
    // The role its colour tells, in words, for those who cannot tell the
    // colours apart or do not see them: "entered", "calculated" or
    // "not used"; empty for a colour that is not one of the key's.
    std::string roleWord() const;

  private:
    bool m_sunken = true;
};

// A single-line edit. Its text and caret are plain state here; the user's
// typing arrives through userKeyPress, userKeyDown and userEdit, which run
// the handlers and then do what a native edit does.
class Edit : public Control {
  public:
    Edit(Control* parent, std::string name);
    std::string className() const override { return "TEdit"; }
    void setText(const std::string& text) override;  // fires OnChange when it differs

    int SelStart() const { return m_selStart; }
    int SelLength() const { return m_selLength; }
    void SetSelStart(int pos);  // also clears the selection
    void setSelection(int start, int length);
    // Whether focus by keyboard selects the whole text (on by default).
    bool autoSelect() const { return m_autoSelect; }
    void setAutoSelect(bool on) { m_autoSelect = on; }

    std::function<void(Control& sender, char& key)> OnKeyPress;
    std::function<void(Control& sender, int& key)> OnKeyDown;
    NotifyEvent OnChange;

    void userKeyPress(char key);
    void userKeyDown(int key);
    // A change the edit made by itself (paste, cut, drop, undo, input
    // method): the new text and caret, then OnChange. When OnChange puts the
    // old text back, the old caret and selection come back with it.
    void userEdit(const std::string& text, int caret);
    // A caret move or selection by mouse or keyboard: no change event.
    void userSelect(int start, int length);

  private:
    void clampSelection();
    void changed();
    int m_selStart = 0;
    int m_selLength = 0;
    bool m_autoSelect = true;
};

enum class ModalResult : int { None = 0, Ok = 1, Cancel = 2, Yes = 6, No = 7 };

enum class ButtonKind { Custom, Ok, Cancel, Yes, No };

// A push button with a glyph kind; a button with a modal result closes its
// modal form with that result after its click handler has run.
class Button : public Control {
  public:
    Button(Control* parent, std::string name, ButtonKind kind = ButtonKind::Custom);
    std::string className() const override { return "TBitBtn"; }
    ButtonKind kind() const { return m_kind; }
    ModalResult modalResult() const { return m_modalResult; }
    void setModalResult(ModalResult r) { m_modalResult = r; }
    bool isDefault() const { return m_default; }
    void setDefault(bool on) { m_default = on; }
    bool isCancel() const { return m_cancel; }
    void setCancel(bool on) { m_cancel = on; }
    // A press by the user (mouse, Space, or Enter/Escape through the form).
    void userPress();

  private:
    ButtonKind m_kind;
    ModalResult m_modalResult = ModalResult::None;
    bool m_default = false;
    bool m_cancel = false;
};

enum class Bevel { None, Raised, Lowered };

class Panel : public Control {
  public:
    Panel(Control* parent, std::string name);
    std::string className() const override { return "TPanel"; }
    Bevel bevelOuter() const { return m_outer; }
    Bevel bevelInner() const { return m_inner; }
    void setBevels(Bevel outer, Bevel inner);
    Rect alignArea() const override;

  private:
    Bevel m_outer = Bevel::Raised;
    Bevel m_inner = Bevel::None;
};

class GroupBox : public Control {
  public:
    GroupBox(Control* parent, std::string name, const std::string& caption = {});
    std::string className() const override { return "TGroupBox"; }
    Rect alignArea() const override;
    static constexpr int kCaptionHeight = 15;
};

// A filled rectangle with a black border: the swatches of the colour key.
class Shape : public Control {
  public:
    Shape(Control* parent, std::string name);
    std::string className() const override { return "TShape"; }
};

// Resizes one neighbouring control when dragged.
class Splitter : public Control {
  public:
    Splitter(Control* parent, std::string name);
    std::string className() const override { return "TSplitter"; }
    void setResizeTarget(Control* target, int minSize);
    Control* resizeTarget() const { return m_target; }
    // A drag of dx pixels to the right (negative: to the left).
    void userDrag(int dx);

  private:
    Control* m_target = nullptr;
    int m_minSize = 30;
};

}  // namespace platform
