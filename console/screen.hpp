#pragma once
// The 80x25 text screen both programs draw on: a grid of code page 437 cells with PC colours.
// The grid is the truth; a terminal backend only mirrors what changed (see present()).
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace station {

struct Cell {
    std::uint8_t character = ' ';  // code page 437
    std::uint8_t foreground = 7;   // PC palette 0..15
    std::uint8_t background = 0;
    bool operator==(const Cell&) const = default;
};

class Screen {
public:
    static constexpr int rows = 25;
    static constexpr int columns = 80;

    virtual ~Screen() = default;

    // Blanks every cell in the current colours and homes the cursor.
    void clear();
    // Rows and columns count from 1.
    void locate(int row, int column);
    // Only the low four bits of each colour are used.
    void setColours(int foreground, int background);
    // Writes at the cursor and leaves the cursor after the text. Text past column 80 is
    // dropped: nothing ever wraps or scrolls, not even at row 25, column 80.
    void print(std::string_view cp437Text);
    void printAt(int row, int column, std::string_view cp437Text);
    // Moves the cursor to column 1 of the next row (a line end), never scrolling.
    void newLine();
    void setCursorVisible(bool visible) { cursorVisible_ = visible; }
    // Told of every text showMessage puts on the message line, whole: the program's log.
    std::function<void(std::string_view)> onMessage;

    // Mirrors the grid to the device; called before the program waits (sleep, key poll).
    virtual void present() {}
    // A tone of 1000 Hz for 250 ms, or the terminal bell; a grid nobody sees stays silent.
    virtual void beep() {}

    const Cell& cell(int row, int column) const { return grid_[row - 1][column - 1]; }
    int cursorRow() const { return cursorRow_; }
    int cursorColumn() const { return cursorColumn_; }
    bool cursorVisible() const { return cursorVisible_; }
    int foreground() const { return foreground_; }
    int background() const { return background_; }

private:
    std::array<std::array<Cell, columns>, rows> grid_{};
    int cursorRow_ = 1;
    int cursorColumn_ = 1;
    int foreground_ = 7;
    int background_ = 0;
    bool cursorVisible_ = true;
};

// While it lives, `listener` hears every text shown on the screen's message line.
class MessageListener {
public:
    MessageListener(Screen& screen, std::function<void(std::string_view)> listener) : screen_(screen) {
        screen_.onMessage = std::move(listener);
    }
    ~MessageListener() { screen_.onMessage = nullptr; }
    MessageListener(const MessageListener&) = delete;
    MessageListener& operator=(const MessageListener&) = delete;

private:
    Screen& screen_;
};

// Code page 437 characters the screens use.
namespace cp437 {
inline constexpr char doubleVertical = '\xBA';
inline constexpr char doubleHorizontal = '\xCD';
inline constexpr char doubleTopLeft = '\xC9';
inline constexpr char doubleTopRight = '\xBB';
inline constexpr char doubleBottomLeft = '\xC8';
inline constexpr char doubleBottomRight = '\xBC';
inline constexpr char doubleTeeLeft = '\xCC';
inline constexpr char doubleTeeRight = '\xB9';
inline constexpr char doubleTeeDown = '\xCB';
inline constexpr char doubleTeeUp = '\xCA';
inline constexpr char singleTopLeft = '\xDA';
inline constexpr char singleTopRight = '\xBF';
inline constexpr char singleBottomLeft = '\xC0';
inline constexpr char singleBottomRight = '\xD9';
inline constexpr char singleHorizontal = '\xC4';
inline constexpr char singleVertical = '\xB3';
inline constexpr char singleTeeUp = '\xC1';
inline constexpr char arrowUp = '\x18';
inline constexpr char arrowDown = '\x19';
inline constexpr char arrowRight = '\x1A';
inline constexpr char arrowLeft = '\x1B';
// The Unicode character a terminal shows for a code page 437 byte.
char32_t toUnicode(std::uint8_t character);
// The code page 437 byte of a Unicode character, or -1 when the code page has none (a blank
// maps to 0x20, not to the NUL that also shows as one).
int fromUnicode(char32_t character);
}  // namespace cp437

// Row 4 from column 40: the status line of both programs (40 blanks, then the text, cut at
// column 79 so that it never overwrites the frame).
void showStatus(Screen& screen, std::string_view text);
// Row 24: blanks over columns 2 to 79, then the text from column 3, cut at column 79 so that it
// never overwrites the frame; the cursor stays after it. The screen's onMessage gets the text.
void showMessage(Screen& screen, std::string_view text);
// The characters the message line holds (columns 3 to 79).
inline constexpr std::size_t messageLineWidth = 77;

}  // namespace station
