// The controls a form description places, seen through the operations the
// form code uses: read and set the text, enable and disable, and for a
// button, the handler its click calls. Each one stands for a widget that
// belongs to the form's window.
#pragma once

#include "ansistring.h"
#include "component.h"

#include <functional>

class QWidget;
class TForm;

using TNotifyEvent = std::function<void(TObject *Sender)>;

class TControl : public TComponent {
public:
    TControl(TForm *Owner, QWidget *Widget);

    virtual AnsiString GetText() const = 0;
    virtual void SetText(const AnsiString &Text) = 0;
    bool GetEnabled() const;
    void SetEnabled(bool Value);

    // The widget itself, for the toolkit and for driving it in tests.
    QWidget *Widget() const { return widget_; }

protected:
    QWidget *widget_;
};

class TLabel : public TControl {
public:
    static constexpr const char *WidgetClass = "QLabel";
    TLabel(TForm *Owner, QWidget *Widget);
    AnsiString GetText() const override;
    void SetText(const AnsiString &Text) override;
};

class TComboBox : public TControl {
public:
    static constexpr const char *WidgetClass = "QComboBox";
    TComboBox(TForm *Owner, QWidget *Widget);
    AnsiString GetText() const override;
    void SetText(const AnsiString &Text) override;
};

class TEdit : public TControl {
public:
    static constexpr const char *WidgetClass = "QLineEdit";
    TEdit(TForm *Owner, QWidget *Widget);
    AnsiString GetText() const override;
    void SetText(const AnsiString &Text) override;
};

class TMemo : public TControl {
public:
    static constexpr const char *WidgetClass = "QPlainTextEdit";
    TMemo(TForm *Owner, QWidget *Widget);
    AnsiString GetText() const override;
    void SetText(const AnsiString &Text) override;
};

class TBitBtn : public TControl {
public:
    static constexpr const char *WidgetClass = "QPushButton";
    TBitBtn(TForm *Owner, QWidget *Widget);
    AnsiString GetText() const override;
    void SetText(const AnsiString &Text) override;

    // Runs the click handler the way the window loop does.
    void Click();

private:
    TNotifyEvent onClick_;
};
