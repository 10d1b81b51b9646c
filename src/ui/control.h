// Portable controls. A control holds what the program sets (caption, enabled, visible,
// position and size in twips, value) and tells its native peer, when it has one, what changed.
// The native side writes user changes (a moved slider, typed text, a clicked option) back into
// the control through the same setters, so the control is always the truth. On the host there
// are no peers: tests drive the handlers and read the controls.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sonorin {
class Browser;
}

namespace sonorin::ui {

class Form;

// Adding a control kind: a value here, a class below (or in its own header) and, in the Win32
// window system, a peer file in win32/window_system/controls/ and its row in control_kinds.cpp.
enum class ControlKind {
    Button,
    Label,
    Frame,
    OptionButton,
    StatusBar,
    Slider,
    Timer,
    Menu,
    WebBrowser,
    ProgressBar,
    ComboBox,
    TextBox,
    ListView,
    DateTimePicker,
    Image,
};

enum class Property {
    Caption,
    Enabled,
    Visible,
    Bounds,
    ToolTip,
    Value,
    Range,
    Panels,
    Interval,
    Items,    // a combo box's list
    Text,     // the text of a combo box or text box
    Columns,  // a list view's columns
    Rows,     // a list view's rows and their texts
    Selection,
    Style,  // flags the native window takes as window styles
};

// The native counterpart of a control or a form.
class Peer {
  public:
    virtual ~Peer() = default;
    virtual void changed(Property property) = 0;
};

class Control {
  public:
    Control(Form& form, std::string name, ControlKind kind, Control* container = nullptr);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }
    ControlKind kind() const { return kind_; }
    Form& form() const { return form_; }
    // The frame that holds this control, or nullptr when it sits on the form itself.
    Control* container() const { return container_; }

    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& caption);
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool visible() const { return visible_; }
    void setVisible(bool visible);
    // Visible and every container visible too.
    bool shown() const;
    // Enabled and every container enabled too.
    bool usable() const;
    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(const std::string& text);

    // Position relative to the container, in twips.
    double left() const { return left_; }
    double top() const { return top_; }
    double width() const { return width_; }
    double height() const { return height_; }
    void setLeft(double v) { setBounds(v, top_, width_, height_); }
    void setTop(double v) { setBounds(left_, v, width_, height_); }
    void setWidth(double v) { setBounds(left_, top_, v, height_); }
    void setHeight(double v) { setBounds(left_, top_, width_, v); }
    void setBounds(double left, double top, double width, double height);
    // Position relative to the form's client area, in twips.
    double formLeft() const;
    double formTop() const;

    void attachPeer(std::unique_ptr<Peer> peer) { peer_ = std::move(peer); }
    void detachPeer() { peer_.reset(); }
    Peer* peer() const { return peer_.get(); }

  protected:
    void notify(Property property);

  private:
    Form& form_;
    std::string name_;
    ControlKind kind_;
    Control* container_;
    std::string caption_;
    std::string toolTip_;
    bool enabled_ = true;
    bool visible_ = true;
    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::unique_ptr<Peer> peer_;
};

class Button : public Control {
  public:
    Button(Form& form, std::string name, Control* container = nullptr)
        : Control(form, std::move(name), ControlKind::Button, container) {}
    std::function<void()> onClick;
    // A click by the user or by code; a disabled button does not react to the user, but code
    // may still run the handler directly.
    void click() {
        if (onClick)
            onClick();
    }
};

class Label : public Control {
  public:
    Label(Form& form, std::string name, Control* container = nullptr)
        : Control(form, std::move(name), ControlKind::Label, container) {}
    // A label with a click handler reacts to the mouse (a link line, for instance).
    std::function<void()> onClick;
    void click() {
        if (onClick)
            onClick();
    }
};

// A picture: one of the program's icons, or none.
class Image : public Control {
  public:
    Image(Form& form, std::string name, Control* container = nullptr)
        : Control(form, std::move(name), ControlKind::Image, container) {}
    static constexpr int kNoPicture = 0;
    static constexpr int kAppIcon = 1;
    int picture() const { return picture_; }
    void setPicture(int picture) {
        picture_ = picture;
        notify(Property::Value);
    }

  private:
    int picture_ = kNoPicture;
};

class Frame : public Control {
  public:
    Frame(Form& form, std::string name, Control* container = nullptr)
        : Control(form, std::move(name), ControlKind::Frame, container) {}
};

// Option buttons with the same container form one group: selecting one clears the others.
class OptionButton : public Control {
  public:
    OptionButton(Form& form, std::string name, Control* container = nullptr)
        : Control(form, std::move(name), ControlKind::OptionButton, container) {}
    bool value() const { return value_; }
    // Selecting from code runs the click handler, even when the option is selected already;
    // clearing does not.
    void setValue(bool selected);
    // The user's click: as on Windows, the handler runs only when the value changes, so a
    // click on the selected option does nothing.
    void click() {
        if (!value_)
            setValue(true);
    }
    std::function<void()> onClick;

  private:
    bool value_ = false;
};

class StatusBar : public Control {
  public:
    struct Panel {
        std::string text;
        double width = 0;  // twips
    };
    StatusBar(Form& form, std::string name, int panelCount);
    // Panels are numbered from 1, as the program names them.
    int panelCount() const { return static_cast<int>(panels_.size()); }
    const Panel& panel(int index) const { return panels_.at(index - 1); }
    void setPanelText(int index, const std::string& text);
    void setPanelWidth(int index, double width);

  private:
    std::vector<Panel> panels_;
};

class Slider : public Control {
  public:
    Slider(Form& form, std::string name, Control* container = nullptr)
        : Control(form, std::move(name), ControlKind::Slider, container) {}
    int max() const { return max_; }
    void setMax(int max);
    int value() const { return value_; }
    // Runs onChange when the value changes, whether the user or the program moved it.
    void setValue(int value);
    void refresh() { notify(Property::Value); }
    std::function<void()> onChange;

  private:
    int max_ = 10;
    int value_ = 0;
};

class ProgressBar : public Control {
  public:
    ProgressBar(Form& form, std::string name, Control* container = nullptr)
        : Control(form, std::move(name), ControlKind::ProgressBar, container) {}
    int value() const { return value_; }
    void setValue(int value);

  private:
    int value_ = 0;
};

// A window timer: it ticks every `interval` milliseconds while enabled and the interval is
// not 0. Tests call tick() themselves.
class Timer : public Control {
  public:
    Timer(Form& form, std::string name, int interval, bool enabled = true);
    int interval() const { return interval_; }
    void setInterval(int milliseconds);
    bool running() const { return enabled() && interval_ > 0; }
    std::function<void()> onTick;
    void tick() {
        if (onTick)
            onTick();
    }

  private:
    int interval_;
};

// A menu entry. Top-level entries of a form make its menu bar; a top-level entry that is not
// visible is a pop-up menu shown from code. The caption "-" is a separator.
class MenuItem : public Control {
  public:
    MenuItem(Form& form, std::string name, std::string caption, MenuItem* parent = nullptr);
    // An entry placed in `parent` just before `before`, one of its entries (at the end when
    // it is not one of them).
    MenuItem(Form& form, std::string name, std::string caption, MenuItem& parent,
             const MenuItem& before);
    MenuItem* parent() const { return parent_; }
    const std::vector<MenuItem*>& items() const { return items_; }
    bool isSeparator() const { return caption() == "-"; }
    // A check mark before the caption.
    bool checked() const { return checked_; }
    void setChecked(bool checked);
    std::function<void()> onClick;
    // A pop-up menu is about to show its entries: the last moment to bring them up to date.
    std::function<void()> onOpening;
    void click() {
        if (onClick)
            onClick();
    }

  private:
    MenuItem* parent_;
    std::vector<MenuItem*> items_;
    bool checked_ = false;
};

// The radio pane. Its page engine is supplied by the platform (the system browser control in
// the Windows build, a fake in tests); without one the pane behaves as a pane with no page.
class WebBrowserPane : public Control {
  public:
    WebBrowserPane(Form& form, std::string name)
        : Control(form, std::move(name), ControlKind::WebBrowser) {}
    void setEngine(Browser* engine) { engine_ = engine; }
    Browser* engine() const { return engine_; }

    void navigate(const std::string& address);
    void stop();
    void setSilent(bool silent);
    int linkCount();
    std::string linkText(int index);
    void clickLink(int index);
    void refresh();
    std::string documentText();

    std::function<void()> onDownloadBegin;
    std::function<void()> onDownloadComplete;

  private:
    Browser* engine_ = nullptr;
};

enum class ComboStyle {
    DropDownCombo,  // an edit field with a drop-down list: any text may be typed
    DropDownList,   // a drop-down list only: the text is always one of the items or empty
};

// A combo box. Setting the list index by code or by the user runs onClick, as choosing an
// item does; a changed text, typed or set by code, runs onChange.
class ComboBox : public Control {
  public:
    ComboBox(Form& form, std::string name, ComboStyle style = ComboStyle::DropDownCombo,
             Control* container = nullptr)
        : Control(form, std::move(name), ControlKind::ComboBox, container), style_(style) {}
    ComboStyle style() const { return style_; }

    const std::vector<std::string>& items() const { return items_; }
    int listCount() const { return static_cast<int>(items_.size()); }
    const std::string& list(int index) const { return items_.at(index); }
    void addItem(const std::string& item);
    void clear();

    // -1 when no item is chosen (also after typing a text that is not chosen from the list).
    int listIndex() const { return listIndex_; }
    void setListIndex(int index);
    const std::string& text() const { return text_; }
    // In a drop-down list only an item's text can be set; another text clears the choice.
    void setText(const std::string& text);

    std::function<void()> onClick;
    std::function<void()> onChange;

  private:
    ComboStyle style_;
    std::vector<std::string> items_;
    int listIndex_ = -1;
    std::string text_;
};

// A single-line text field.
class TextBox : public Control {
  public:
    TextBox(Form& form, std::string name, Control* container = nullptr)
        : Control(form, std::move(name), ControlKind::TextBox, container) {}
    const std::string& text() const { return text_; }
    void setText(const std::string& text);
    // Lets the user type digits only; text set by code is not checked.
    bool digitsOnly() const { return digitsOnly_; }
    void setDigitsOnly(bool digitsOnly);
    std::function<void()> onChange;

  private:
    std::string text_;
    bool digitsOnly_ = false;
};

enum class MouseButton { Left = 1, Right = 2, Middle = 4 };

// A list view in report view: columns with captions and widths in twips, rows of texts (one
// per column), and selected rows. Each row has an id that stays with it while rows before it
// come and go, so a window can tell whether a row it remembers still exists.
class ListView : public Control {
  public:
    struct Column {
        std::string caption;
        double width = 0;  // twips
    };
    ListView(Form& form, std::string name, Control* container = nullptr)
        : Control(form, std::move(name), ControlKind::ListView, container) {}

    const std::vector<Column>& columns() const { return columns_; }
    void addColumn(const std::string& caption, double width);
    void clearColumns();

    int rowCount() const { return static_cast<int>(rows_.size()); }
    // The texts of a row, one per column; missing ones read as empty.
    std::string text(int row, int column) const;
    void setText(int row, int column, const std::string& text);
    // Appends a row and returns its index.
    int addRow(const std::vector<std::string>& texts);
    void removeRow(int row);
    void clearRows();
    long long rowId(int row) const { return rows_.at(row).id; }
    // The index of the row with this id, or -1 when it is gone.
    int findRow(long long id) const;

    bool selected(int row) const { return rows_.at(row).selected; }
    // Without multiple selection, selecting a row clears the others.
    void setSelected(int row, bool selected);
    // The list's selected item: the current row when it is selected, else the first selected
    // row; -1 when none is selected.
    int selectedItem() const;
    // Makes the row current and selected; a row that was not selected becomes the only one.
    void setSelectedItem(int row);

    bool multiSelect() const { return multiSelect_; }
    void setMultiSelect(bool multiSelect);
    // Flat: no three-dimensional edge. Border: a single line around it.
    bool flat() const { return flat_; }
    void setFlat(bool flat);
    bool border() const { return border_; }
    void setBorder(bool border);

    std::function<void()> onDblClick;
    // The button pressed and the row under the pointer (-1 over empty space).
    std::function<void(MouseButton button, int row)> onMouseDown;

    // The native list reports the user's selection and current row without echo.
    void syncSelection(const std::vector<bool>& selected, int current);

  private:
    struct Row {
        long long id;
        std::vector<std::string> texts;
        bool selected = false;
    };
    std::vector<Column> columns_;
    std::vector<Row> rows_;
    long long nextId_ = 1;
    int current_ = -1;
    bool multiSelect_ = false;
    bool flat_ = false;
    bool border_ = true;
};

enum class PickerFormat { ShortDate, Time };

// A date-time picker. Only its time of day is kept: seconds since midnight.
class DateTimePicker : public Control {
  public:
    DateTimePicker(Form& form, std::string name, Control* container = nullptr)
        : Control(form, std::move(name), ControlKind::DateTimePicker, container) {}
    PickerFormat format() const { return format_; }
    void setFormat(PickerFormat format);
    int timeOfDay() const { return seconds_; }
    // Taken modulo one day.
    void setTimeOfDay(int seconds);
    std::function<void()> onChange;

  private:
    PickerFormat format_ = PickerFormat::Time;
    int seconds_ = 0;
};

}  // namespace sonorin::ui
