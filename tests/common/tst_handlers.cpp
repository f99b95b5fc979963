// How the window loop calls the handlers a form description names: an
// exception that escapes one is shown and the loop goes on; a handler the
// form does not have stops the form's creation.
#include "support/formprobe.h"
#include "support/testform.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

using namespace comsend;

namespace {

template <const char *handler> struct ButtonForm {
    static constexpr TControlDescription controls[] = {{.Name = "Button",
                                                        .Class = TControlClass::BitBtn,
                                                        .Left = 8,
                                                        .Top = 8,
                                                        .Width = 75,
                                                        .Height = 25,
                                                        .Text = "Go",
                                                        .OnClick = handler}};
    static constexpr TFormDescription description = TestForm(controls);
};

constexpr char kButtonClick[] = "ButtonClick";
constexpr char kMissingClick[] = "MissingClick";

class ThrowingForm : public TForm {
public:
    ThrowingForm(TComponent *Owner, std::function<void()> body)
        : TForm(Owner, ButtonForm<kButtonClick>::description,
                {{"ButtonClick", [this](TObject * /*Sender*/) { Clicked(); }}}),
          Button(Bind<TBitBtn>("Button")), body_(std::move(body))
    {}
    TBitBtn *Button;
    int clicks = 0;

private:
    void Clicked()
    {
        ++clicks;
        body_();
    }

    std::function<void()> body_;
};

// Each twice: the loop must go on after the first.
std::vector<std::string> ClickTwice(const std::function<void()> &body)
{
    ThrowingForm form(Application, body);
    form.Show();
    const AnsweredBoxes boxes = AnswerBoxes([&] {
        ClickButton(*form.Button);
        ClickButton(*form.Button);
    });
    EXPECT_EQ(form.clicks, 2);
    EXPECT_EQ(boxes.withOtherButtons, 0);
    return boxes.texts;
}

} // namespace

TEST(Handlers, AnEscapingExceptionIsShownAndTheLoopGoesOn)
{
    EXPECT_EQ(ClickTwice([] { throw Exception("port gone"); }),
              (std::vector<std::string>{"port gone", "port gone"}));
    EXPECT_EQ(ClickTwice([] { throw std::runtime_error("internal detail"); }),
              (std::vector<std::string>{"", ""}));
    EXPECT_EQ(ClickTwice([] { throw 42; }), (std::vector<std::string>{"", ""}));
}

TEST(Handlers, AHandlerTheFormLacksStopsItsCreation)
{
    struct UnboundForm : TForm {
        explicit UnboundForm(TComponent *Owner)
            : TForm(Owner, ButtonForm<kMissingClick>::description, {}), Button(Bind<TBitBtn>("Button"))
        {}
        TBitBtn *Button;
    };
    try {
        const UnboundForm form(Application);
        ADD_FAILURE() << "a form whose description names a missing handler was created";
    } catch (const Exception &e) {
        EXPECT_NE(std::string(e.Message.c_str()).find("MissingClick"), std::string::npos);
    }
}
