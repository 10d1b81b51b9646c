#include "ui/control.h"

#include <algorithm>

#include "ui/browser.h"
#include "ui/form.h"

namespace sonorin::ui {

Control::Control(Form& form, std::string name, ControlKind kind, Control* container)
    : form_(form), name_(std::move(name)), kind_(kind), container_(container) {
    form.registerControl(this);
}

void Control::notify(Property property) {
    if (peer_)
        peer_->changed(property);
}

void Control::setCaption(const std::string& caption) {
    if (caption_ == caption)
        return;
    caption_ = caption;
    notify(Property::Caption);
}

void Control::setEnabled(bool enabled) {
    if (enabled_ == enabled)
        return;
    enabled_ = enabled;
    notify(Property::Enabled);
    // A disabled frame disables what it holds, without changing their own setting.
    for (Control* c : form_.controls())
        if (c->container_ == this)
            c->notify(Property::Enabled);
}

bool Control::usable() const {
    for (const Control* c = this; c; c = c->container_)
        if (!c->enabled_)
            return false;
    return true;
}

void Control::setVisible(bool visible) {
    if (visible_ == visible)
        return;
    visible_ = visible;
    notify(Property::Visible);
    // Controls inside a frame appear and disappear with it.
    for (Control* c : form_.controls())
        if (c->container_ == this)
            c->notify(Property::Visible);
}

bool Control::shown() const {
    for (const Control* c = this; c; c = c->container_)
        if (!c->visible_)
            return false;
    return true;
}

void Control::setToolTip(const std::string& text) {
    if (toolTip_ == text)
        return;
    toolTip_ = text;
    notify(Property::ToolTip);
}

void Control::setBounds(double left, double top, double width, double height) {
    width = std::max(0.0, width);
    height = std::max(0.0, height);
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    notify(Property::Bounds);
    for (Control* c : form_.controls())
        if (c->container_ == this)
            c->notify(Property::Bounds);
}

double Control::formLeft() const {
    return left_ + (container_ ? container_->formLeft() : 0);
}
double Control::formTop() const {
    return top_ + (container_ ? container_->formTop() : 0);
}

void OptionButton::setValue(bool selected) {
    if (!selected) {
        if (value_) {
            value_ = false;
            notify(Property::Value);
        }
        return;
    }
    for (Control* c : form().controls()) {
        if (c != this && c->kind() == ControlKind::OptionButton && c->container() == container())
            static_cast<OptionButton*>(c)->setValue(false);
    }
    if (!value_) {
        value_ = true;
        notify(Property::Value);
    }
    if (onClick)
        onClick();
}

StatusBar::StatusBar(Form& form, std::string name, int panelCount)
    : Control(form, std::move(name), ControlKind::StatusBar),
      panels_(static_cast<std::size_t>(std::max(1, panelCount))) {}

void StatusBar::setPanelText(int index, const std::string& text) {
    Panel& p = panels_.at(index - 1);
    if (p.text == text)
        return;
    p.text = text;
    notify(Property::Panels);
}

void StatusBar::setPanelWidth(int index, double width) {
    Panel& p = panels_.at(index - 1);
    width = std::max(0.0, width);
    if (p.width == width)
        return;
    p.width = width;
    notify(Property::Panels);
}

void Slider::setMax(int max) {
    max = std::max(0, max);
    if (max_ == max)
        return;
    max_ = max;
    if (value_ > max_)
        value_ = max_;
    notify(Property::Range);
}

void Slider::setValue(int value) {
    value = std::clamp(value, 0, max_);
    if (value_ == value)
        return;
    value_ = value;
    notify(Property::Value);
    if (onChange)
        onChange();
}

void ProgressBar::setValue(int value) {
    if (value_ == value)
        return;
    value_ = value;
    notify(Property::Value);
}

Timer::Timer(Form& form, std::string name, int interval, bool enabled)
    : Control(form, std::move(name), ControlKind::Timer), interval_(std::max(0, interval)) {
    setEnabled(enabled);
    setVisible(false);
}

void Timer::setInterval(int milliseconds) {
    milliseconds = std::max(0, milliseconds);
    if (interval_ == milliseconds)
        return;
    interval_ = milliseconds;
    notify(Property::Interval);
}

MenuItem::MenuItem(Form& form, std::string name, std::string caption, MenuItem* parent)
    : Control(form, std::move(name), ControlKind::Menu), parent_(parent) {
    setCaption(caption);
    if (parent)
        parent->items_.push_back(this);
}

void MenuItem::setChecked(bool checked) {
    if (checked_ == checked)
        return;
    checked_ = checked;
    notify(Property::Value);
}

MenuItem::MenuItem(Form& form, std::string name, std::string caption, MenuItem& parent,
                   const MenuItem& before)
    : Control(form, std::move(name), ControlKind::Menu), parent_(&parent) {
    setCaption(caption);
    auto& siblings = parent.items_;
    siblings.insert(std::find(siblings.begin(), siblings.end(), &before), this);
}

void WebBrowserPane::navigate(const std::string& address) {
    if (engine_)
        engine_->navigate(address);
}

void WebBrowserPane::stop() {
    if (engine_)
        engine_->stop();
}

void WebBrowserPane::setSilent(bool silent) {
    if (engine_)
        engine_->setSilent(silent);
}

int WebBrowserPane::linkCount() {
    return engine_ ? engine_->linkCount() : 0;
}

std::string WebBrowserPane::linkText(int index) {
    return engine_ ? engine_->linkText(index) : std::string();
}

void WebBrowserPane::clickLink(int index) {
    if (engine_)
        engine_->clickLink(index);
}

void WebBrowserPane::refresh() {
    if (engine_)
        engine_->refresh();
}

std::string WebBrowserPane::documentText() {
    return engine_ ? engine_->documentText() : std::string();
}

void ComboBox::addItem(const std::string& item) {
    items_.push_back(item);
    notify(Property::Items);
}

void ComboBox::clear() {
    items_.clear();
    listIndex_ = -1;
    text_.clear();
    notify(Property::Items);
    notify(Property::Text);
}

void ComboBox::setListIndex(int index) {
    if (index < -1 || index >= listCount())
        return;
    const std::string text = index >= 0 ? items_[index] : std::string();
    const bool textChanged = text != text_ && (index >= 0 || style_ == ComboStyle::DropDownList);
    listIndex_ = index;
    if (textChanged)
        text_ = text;
    notify(Property::Text);
    if (textChanged && onChange)
        onChange();
    if (onClick)
        onClick();
}

void ComboBox::setText(const std::string& text) {
    if (style_ == ComboStyle::DropDownList) {
        auto it = std::find(items_.begin(), items_.end(), text);
        setListIndex(it == items_.end() ? -1 : static_cast<int>(it - items_.begin()));
        return;
    }
    if (text == text_)
        return;
    text_ = text;
    // A typed text is not a choice from the list, even when it spells an item.
    listIndex_ = -1;
    notify(Property::Text);
    if (onChange)
        onChange();
}

void TextBox::setText(const std::string& text) {
    if (text == text_)
        return;
    text_ = text;
    notify(Property::Text);
    if (onChange)
        onChange();
}

void TextBox::setDigitsOnly(bool digitsOnly) {
    if (digitsOnly_ == digitsOnly)
        return;
    digitsOnly_ = digitsOnly;
    notify(Property::Style);
}

void ListView::addColumn(const std::string& caption, double width) {
    columns_.push_back({caption, std::max(0.0, width)});
    notify(Property::Columns);
}

void ListView::clearColumns() {
    columns_.clear();
    notify(Property::Columns);
}

std::string ListView::text(int row, int column) const {
    const std::vector<std::string>& texts = rows_.at(row).texts;
    return column >= 0 && column < static_cast<int>(texts.size()) ? texts[column] : std::string();
}

void ListView::setText(int row, int column, const std::string& text) {
    if (column < 0)
        return;
    std::vector<std::string>& texts = rows_.at(row).texts;
    if (static_cast<int>(texts.size()) <= column)
        texts.resize(column + 1);
    if (texts[column] == text)
        return;
    texts[column] = text;
    notify(Property::Rows);
}

int ListView::addRow(const std::vector<std::string>& texts) {
    rows_.push_back({nextId_++, texts, false});
    notify(Property::Rows);
    return rowCount() - 1;
}

void ListView::removeRow(int row) {
    if (row < 0 || row >= rowCount())
        return;
    rows_.erase(rows_.begin() + row);
    if (current_ == row)
        current_ = -1;
    else if (current_ > row)
        --current_;
    notify(Property::Rows);
}

void ListView::clearRows() {
    rows_.clear();
    current_ = -1;
    notify(Property::Rows);
}

int ListView::findRow(long long id) const {
    for (int i = 0; i < rowCount(); ++i)
        if (rows_[i].id == id)
            return i;
    return -1;
}

void ListView::setSelected(int row, bool selected) {
    if (row < 0 || row >= rowCount())
        return;
    if (selected && !multiSelect_)
        for (Row& r : rows_)
            r.selected = false;
    rows_[row].selected = selected;
    if (selected)
        current_ = row;
    notify(Property::Selection);
}

int ListView::selectedItem() const {
    if (current_ >= 0 && current_ < rowCount() && rows_[current_].selected)
        return current_;
    for (int i = 0; i < rowCount(); ++i)
        if (rows_[i].selected)
            return i;
    return -1;
}

void ListView::setSelectedItem(int row) {
    if (row < 0 || row >= rowCount())
        return;
    if (!rows_[row].selected)
        for (Row& r : rows_)
            r.selected = false;
    rows_[row].selected = true;
    current_ = row;
    notify(Property::Selection);
}

void ListView::syncSelection(const std::vector<bool>& selected, int current) {
    for (int i = 0; i < rowCount() && i < static_cast<int>(selected.size()); ++i)
        rows_[i].selected = selected[i];
    current_ = current;
}

void ListView::setMultiSelect(bool multiSelect) {
    if (multiSelect_ == multiSelect)
        return;
    multiSelect_ = multiSelect;
    notify(Property::Style);
}

void ListView::setFlat(bool flat) {
    if (flat_ == flat)
        return;
    flat_ = flat;
    notify(Property::Style);
}

void ListView::setBorder(bool border) {
    if (border_ == border)
        return;
    border_ = border;
    notify(Property::Style);
}

void DateTimePicker::setFormat(PickerFormat format) {
    if (format_ == format)
        return;
    format_ = format;
    notify(Property::Style);
}

void DateTimePicker::setTimeOfDay(int seconds) {
    seconds = ((seconds % 86400) + 86400) % 86400;
    if (seconds_ == seconds)
        return;
    seconds_ = seconds;
    notify(Property::Value);
    if (onChange)
        onChange();
}

}  // namespace sonorin::ui
