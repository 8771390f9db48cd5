// The editor rendered off-screen, on either platform, into a PNG:
//   windows_editor_render DATA_ROOT OUT.png [--compare OTHER.png]
// With --compare (Linux build), the render is compared with another
// platform's render of the same state, view by view, as explained below.
#include "Controlsgui.h"
#include "ControlsguiEditor.h"
#include "ViewCompare.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#ifndef _WIN32
#include <cairo.h>
#endif

namespace {

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

uint32_t fixedClock() { return 1; }

#ifndef _WIN32
using viewcompare::Image;

bool readPng(const char* path, Image& img) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(path);
    bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
    if (ok) {
        cairo_surface_flush(s);
        img = viewcompare::fromBgra(cairo_image_surface_get_data(s), cairo_image_surface_get_width(s),
                                    cairo_image_surface_get_height(s), cairo_image_surface_get_stride(s));
    }
    cairo_surface_destroy(s);
    return ok;
}
#endif

void setDataRoot(const std::string& root) {
#ifdef _WIN32
    _putenv_s("QUILLATONE_DATA_ROOT", root.c_str());
#else
    setenv("QUILLATONE_DATA_ROOT", root.c_str(), 1);
#endif
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 5 && std::string(argv[3]) == "--compare")) {
        std::fprintf(stderr, "usage: %s DATA_ROOT OUT.png [--compare OTHER.png]\n", argv[0]);
        return 2;
    }
    setDataRoot(argv[1]);
    VSTGUI::AEffGUIEditor::setTickSourceForTesting(fixedClock);
    int status = 0;
    {
        std::unique_ptr<Controlsgui> processor(new Controlsgui(host)); // too large for a Windows stack
        auto* editor = static_cast<ControlsguiEditor*>(processor->getEditor());
        processor->setParameter(15, 0.0f);
        if (!editor || !editor->open(nullptr) || !editor->getFrame()) {
            std::fprintf(stderr, "the editor did not open\n");
            return 1;
        }
        VSTGUI::CFrame* frame = editor->getFrame();
        frame->renderAll();
        if (!frame->writePNG(argv[2])) {
            std::fprintf(stderr, "cannot write %s\n", argv[2]);
            status = 1;
        }
#ifndef _WIN32
        if (argc == 5) {
            VSTGUI::DrawSurface* s = frame->getBackBuffer();
            Image mine = viewcompare::fromBgra(s->data(), s->width(), s->height(), s->stride()), other;
            if (!readPng(argv[4], other)) {
                std::fprintf(stderr, "cannot read %s\n", argv[4]);
                status = 1;
            } else {
                status |= viewcompare::compare(mine, other, frame);
            }
        }
#endif
        editor->close();
    }
    VSTGUI::AEffGUIEditor::setTickSourceForTesting(nullptr);
    return status;
}
