// Prints the form description, so that the scripts that drive the real
// program know where its window and controls are from the one place that
// says so:
//   describe_form          JSON: {"window": [left, top, width, height],
//                          "caption": ..., "controls": {name: [left, top, width, height]}}
//   describe_form window   left,top,width,height
#include "tform1.h"

#include <cstdio>
#include <cstring>

using namespace comsend;

int main(int argc, char **argv)
{
    const TFormDescription &form = TFORM1;
    if (argc > 1 && std::strcmp(argv[1], "window") == 0) {
        std::printf("%d,%d,%d,%d\n", form.Left, form.Top, form.Width, form.Height);
        return 0;
    }
    std::printf(R"({"window": [%d, %d, %d, %d], "caption": "%s", "controls": {)", form.Left, form.Top,
                form.Width, form.Height, form.Caption);
    const char *separator = "";
    for (const TControlDescription &c : form.Controls) {
        std::printf(R"(%s"%s": [%d, %d, %d, %d])", separator, c.Name, c.Left, c.Top, c.Width, c.Height);
        separator = ", ";
    }
    std::printf("}}\n");
    return 0;
}
