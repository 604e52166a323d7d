// tavpack preview against the client: the same skin shown in the real client
// window and drawn by the preview, compared pixel by pixel.
#include "tests/support/client_fixture.h"
#include "tests/support/png_reader.h"

namespace {

constexpr uint32_t kNormalCell = 0x11AA33, kHotCell = 0xAA1133, kFirstFrame = 0xCC2288,
                   kMainFirstFrame = 0x2288CC;
const char kKey[] = "preview-key";

std::string Q(const std::string& path) { return "\"" + path + "\""; }

// Button cells (normal, pressed, hot, disabled) and animation frames side by side.
std::string Cells(int w, int h, bool vertical, std::vector<uint32_t> colours)
{
    const int n = static_cast<int>(colours.size());
    const int width = vertical ? w : w * n, height = vertical ? h * n : h;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] = colours[vertical ? y / h : x / w];
    const std::vector<uint8_t> bmp = MakeBmp(width, height, 24, pixels);
    return std::string(bmp.begin(), bmp.end());
}

// A skin with both bands, two buttons, an animation, the main animation, an
// address box, a status line and a web area, its package enciphered.
TestSkin PreviewSkin(const std::string& site, const std::string& more = "")
{
    TestSkin skin(site);
    for (int y = 0; y < skin.height; ++y)
        for (int x = 0; x < skin.width; ++x)
            if (x >= 40 || y >= 30)  // a gradient body below and beside the notch
                skin.pixels[static_cast<size_t>(y) * skin.width + x] =
                    0x300000 | ((x * 255 / skin.width) << 8) | (y * 2);
    skin.config = std::string("LAUNCHOPTION=0\r\nX=20\r\nY=20\r\nENCRYPT=1\r\nENCRYPTKEY=") + kKey +
                  "\r\nH-RESIZEAREA=60,70\r\nV-RESIZEAREA=50,60\r\nCURSORAREA=5,5,155,115\r\n"
                  "WEBCONTROLLOCATION=45,40,120,85\r\nURLEDITLOCATION=45,5,150,25\r\n"
                  "STATUSLOCATION=45,100,125,116\r\nSTATUSCOLOR=255,255,0\r\nDIR=http://dir.example/\r\n"
                  "ANIFRAME=2\r\nANIDELAY=50\r\nANIMATIONLOCATION=5,95,25,115\r\nANIMATION=m.bmp\r\n"
                  "ANINUMBER=1\r\nBTNNUMBER=2\r\n" + more +
                  "[ANI1]\r\nLOCATION=130,92,150,112\r\nBMP=a.bmp\r\nFRAME=3\r\nDELAY=600000\r\n" +
                  Button(1, "10,40,30,52", "BACK") + Button(2, "125,40,145,52", "EXIT");
    skin.extraFiles.push_back({"b.bmp", Cells(20, 12, true, {kNormalCell, 0x3333AA, kHotCell, 0x777777})});
    skin.extraFiles.push_back({"a.bmp", Cells(20, 20, false, {kFirstFrame, 0x22CC88, 0x8822CC})});
    skin.extraFiles.push_back({"m.bmp", Cells(20, 20, false, {kMainFirstFrame, 0x88CC22})});
    return skin;
}

// The package enciphered in place, the key restarting every 1024 bytes.
void Encipher(const TestSkin& skin)
{
    std::string bytes;
    const std::string path = skin.Folder() + skin.base + ".tvd";
    ASSERT_TRUE(ReadBytes(path, &bytes));
    const size_t length = sizeof kKey - 1;
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] ^= kKey[(i % 1024) % length];
    ASSERT_TRUE(WriteBytes(path, bytes));
}

class Preview : public Client {
protected:
    int Run(const std::string& arguments, std::string* output = nullptr)
    {
        return RunProgram("\"" + ProgramFolder() + "tavpack.exe\" preview " + arguments, output);
    }
    PngPicture Draw(const TestSkin& skin, const std::string& options = "")
    {
        const std::string out = scratch / "preview.png";
        DeleteFileA(out.c_str());
        std::string output;
        EXPECT_EQ(0, Run(Q(skin.Folder() + "main.tvc") + " " + Q(skin.Folder() + "main.tvd") +
                             " " + Q(out) + options, &output)) << output;
        std::string bytes, error;
        PngPicture picture;
        EXPECT_TRUE(ReadBytes(out, &bytes));
        EXPECT_TRUE(DecodePng(bytes, &picture, &error)) << error;
        return picture;
    }

    // The preview against the client's window as the screen shows it:
    // alpha 0 exactly outside the window's region, and every pixel of the
    // region equal outside the web area, the address box and the status text.
    void ExpectSameAsClient(ClientApp* app, const PngPicture& png)
    {
        PumpMessages(400);
        const RECT f = Frame(app);
        const int w = f.right - f.left, h = f.bottom - f.top;
        ASSERT_EQ(w, png.width);
        ASSERT_EQ(h, png.height);
        const std::vector<uint32_t> screen = CaptureScreen(f);
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(ERROR, GetWindowRgn(app->FrameWindow(), region));
        auto childRect = [&](HWND child) {
            RECT r;
            GetWindowRect(child, &r);
            OffsetRect(&r, -f.left, -f.top);
            return r;
        };
        RECT status = app->frame.LayoutAddressRect(app->skin.statusRect());
        status.left += 17;
        const RECT skipped[] = {childRect(app->WebWindow()),
                                childRect(GetDlgItem(app->FrameWindow(), 102)), status};
        int shapeWrong = 0, colourWrong = 0, compared = 0;
        std::string first;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const bool in = PtInRegion(region, x, y) != 0;
                const int alpha = png.Alpha(x, y);
                if (in ? alpha != 255 : alpha != 0) {
                    ++shapeWrong;
                    continue;
                }
                const POINT p = {x, y};
                bool skip = !in;
                for (const RECT& r : skipped)
                    skip = skip || PtInRect(&r, p);
                if (skip)
                    continue;
                ++compared;
                const uint32_t shown = screen[static_cast<size_t>(y) * w + x] & 0xFFFFFF;
                if (shown != png.Rgb(x, y) && colourWrong++ == 0) {
                    char text[96];
                    snprintf(text, sizeof text, "(%d, %d): client %06X, preview %06X", x, y,
                             shown, png.Rgb(x, y));
                    first = text;
                }
            }
        DeleteObject(region);
        EXPECT_EQ(0, shapeWrong);
        EXPECT_EQ(0, colourWrong) << "first at " << first;
        EXPECT_GT(compared, w * h / 2);
    }
    ScratchDir scratch;
};

}  // namespace

TEST_F(Preview, EqualsTheClientWindowAtCreationAndResized)
{
    TestSkin skin = PreviewSkin("preview1");
    skin.Publish();
    Encipher(skin);
    std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
    ASSERT_EQ(1, app->CreateMainWindow(0));

    const PngPicture made = Draw(skin);
    ASSERT_EQ(160, made.width);
    ASSERT_EQ(120, made.height);
    EXPECT_EQ(0, made.Alpha(10, 10));  // the notch
    EXPECT_EQ(kNormalCell, made.Rgb(12, 42));         // BACK, in its normal cell
    EXPECT_EQ(kNormalCell, made.Rgb(143, 50));        // EXIT
    EXPECT_EQ(kFirstFrame, made.Rgb(131, 93));        // the animation's first frame
    EXPECT_EQ(kMainFirstFrame, made.Rgb(24, 114));    // the main animation's
    EXPECT_EQ(0xD8D8D8u, made.Rgb(80, 60));           // the web area's grey
    ExpectSameAsClient(app.get(), made);

    // Dragged 25 x 12 larger (two and a half bands wide): the same again.
    const RECT before = Frame(app.get());
    POINT grip = {before.right - 2, before.bottom - 2};
    SendMessageA(app->FrameWindow(), WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, MAKELPARAM(grip.x, grip.y));
    const POINT start = {grip.x - before.left, grip.y - before.top};
    SendMessageA(app->FrameWindow(), WM_LBUTTONUP, 0, MAKELPARAM(start.x + 25, start.y + 12));
    ASSERT_EQ(185, Frame(app.get()).right - Frame(app.get()).left);
    const PngPicture grown = Draw(skin, " --size 185x132");
    ASSERT_EQ(185, grown.width);
    ASSERT_EQ(132, grown.height);
    EXPECT_EQ(kNormalCell, grown.Rgb(12, 42));       // BACK stays
    EXPECT_EQ(kNormalCell, grown.Rgb(143 + 25, 50));  // EXIT moves with the right edge
    EXPECT_EQ(kFirstFrame, grown.Rgb(131 + 25, 93 + 12));
    ExpectSameAsClient(app.get(), grown);
}

TEST_F(Preview, TheAddressBoxHoldsTheGivenAddressOrTheSkinsDir)
{
    TestSkin skin = PreviewSkin("preview2");
    skin.Publish();
    Encipher(skin);
    const PngPicture dir = Draw(skin);
    const PngPicture other = Draw(skin, " --address \"http://another.example/long/path\"");
    ASSERT_EQ(dir.rgba.size(), other.rgba.size());
    const RECT box = {45, 5, 150, 25};
    int inBox = 0, outside = 0;
    for (int y = 0; y < dir.height; ++y)
        for (int x = 0; x < dir.width; ++x) {
            const POINT p = {x, y};
            const bool differs = dir.Rgb(x, y) != other.Rgb(x, y) || dir.Alpha(x, y) != other.Alpha(x, y);
            (PtInRect(&box, p) ? inBox : outside) += differs;
        }
    EXPECT_GT(inBox, 20);
    EXPECT_EQ(0, outside);
}

TEST_F(Preview, RefusedSkinsAndSizesWriteNoPicture)
{
    const std::string out = scratch / "kept.png";
    ASSERT_TRUE(WriteBytes(out, "earlier"));
    auto refused = [&](const TestSkin& skin, const std::string& options) {
        std::string output, kept;
        EXPECT_EQ(1, Run(Q(skin.Folder() + "main.tvc") + " " + Q(out) + options, &output));
        EXPECT_TRUE(ReadBytes(out, &kept));
        EXPECT_TRUE(kept == "earlier") << "the earlier file was replaced";
        EXPECT_FALSE(FileExists(out + ".tvpack-tmp"));
        return output;
    };

    // A package the client cannot extract: the client's own reason.
    TestSkin broken = PreviewSkin("preview3");
    broken.brokenPackage = true;
    broken.Publish();
    const std::string said = refused(broken, "");
    EXPECT_EQ(0u, said.find("tavpack: Error : File extraction failed")) << said;
    std::unique_ptr<ClientApp> app(NewApp(broken.Launch()));
    EXPECT_EQ("Error : File extraction failed",
              MessageShownBy([&] { EXPECT_EQ(0, app->CreateMainWindow(0)); }));

    // Enciphered with another key than ENCRYPTKEY.
    TestSkin wrongKey = PreviewSkin("preview4");
    wrongKey.Publish();
    EXPECT_EQ(0u, refused(wrongKey, "").find("tavpack: Error : File extraction failed"));

    // Sizes a resize cannot give.
    TestSkin skin = PreviewSkin("preview5");
    skin.Publish();
    Encipher(skin);
    EXPECT_NE(std::string::npos, refused(skin, " --size 159x140").find("stops at the background's size, 160 x 120"));
    EXPECT_NE(std::string::npos, refused(skin, " --size 200x119").find("160 x 120"));
    for (const char* bad : {"0x10", "10x0", "10", "10x", "x10", "10x10x", "8193x10", "10x8193", "-5x10", "99999999999x1"})
        EXPECT_NE(std::string::npos, refused(skin, std::string(" --size ") + bad).find("--size needs WxH")) << bad;
    EXPECT_NE(std::string::npos, refused(skin, " --size").find("unknown option"));
    EXPECT_NE(std::string::npos,
              refused(skin, " --address " + std::string(2059, 'a')).find("more than 2058"));
    // At the edge: CX x CY and the largest side are pictures.
    EXPECT_EQ(160, Draw(skin, " --size 160x120").width);
    EXPECT_EQ(8192, Draw(skin, " --size 8192x121").width);
    EXPECT_EQ(0, Run(Q(skin.Folder() + "main.tvc") + " " + Q(scratch / "long.png") + " --address " +
                     std::string(2058, 'a')));

    TestSkin fixed("preview6");  // no bands: only its own size
    fixed.Publish();
    EXPECT_NE(std::string::npos, refused(fixed, " --size 170x120").find("not resizable"));
    EXPECT_EQ(160, Draw(fixed, " --size 160x120").width);
}

namespace {

LRESULT CALLBACK BehindProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        HBRUSH brush = CreateSolidBrush(RGB(0x20, 0xE0, 0x40));
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

// With ANTIALIAS the edge's alpha is the smoothing's: laid over what lies
// behind the client's window, the preview shows what the window shows.
TEST_F(Preview, SmoothedEdgeLaidOverTheBackgroundIsTheClientWindow)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BehindProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TavikPreviewBehind";
    RegisterClassA(&wc);
    HWND behind = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 280, 280, 220, 180,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, behind);
    UpdateWindow(behind);
    PumpMessages(200);

    TestSkin skin("preview7");  // the body with its key-colour notch
    skin.config = "LAUNCHOPTION=0\r\nX=300\r\nY=300\r\nANTIALIAS=1\r\n"
                  "H-RESIZEAREA=60,80\r\nV-RESIZEAREA=50,70\r\n";
    skin.Publish();
    std::unique_ptr<ClientApp> app(NewApp(skin.Launch()));
    ASSERT_EQ(1, app->CreateMainWindow(0));
    PumpMessages(200);  // the first paint may come before the shaped window shows
    InvalidateRect(app->FrameWindow(), nullptr, FALSE);
    UpdateWindow(app->FrameWindow());
    PumpMessages(300);

    const PngPicture png = Draw(skin);
    ASSERT_EQ(160, png.width);
    const RECT f = Frame(app.get());
    const std::vector<uint32_t> screen = CaptureScreen(f);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(app->FrameWindow(), region));
    int partial = 0, wrong = 0, shape = 0;
    for (int y = 0; y < png.height; ++y)
        for (int x = 0; x < png.width; ++x) {
            const int a = png.Alpha(x, y);
            if ((PtInRegion(region, x, y) != 0) != (a != 0)) {
                ++shape;
                continue;
            }
            if (a == 0)
                continue;
            partial += a < 255;
            const uint32_t shown = screen[static_cast<size_t>(y) * png.width + x], c = png.Rgb(x, y);
            for (int shift : {16, 8, 0}) {
                const int back = (0x20E040 >> shift) & 0xFF;
                const int laid = (static_cast<int>((c >> shift) & 0xFF) * a + back * (255 - a) + 127) / 255;
                wrong += std::abs(laid - static_cast<int>((shown >> shift) & 0xFF)) > 3;
            }
        }
    DeleteObject(region);
    EXPECT_EQ(0, shape);
    EXPECT_EQ(0, wrong);
    EXPECT_GT(partial, 20);
    app.reset();
    DestroyWindow(behind);
}
