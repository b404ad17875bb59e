import flash.text.TextField;
import flash.text.TextFieldAutoSize;
import flash.text.TextFormat;

// Colours and text fields shared by the viewer's panels.
class Style {
	public static inline var BACKGROUND = 0x2B3A4A;
	public static inline var BAR = 0x1E2A36;
	public static inline var BUTTON = 0x4F6D8A;
	public static inline var BUTTON_ON = 0x7FA3C6;
	public static inline var TEXT = 0xF2F2F2;
	public static inline var DIM_TEXT = 0xB8C4D0;
	public static inline var PAGE = 0xFFFFFF;
	public static inline var LOADING_PAGE = 0x8C99A6;
	public static inline var LOADING_TEXT = 0xB4BEC8;
	public static inline var HIGHLIGHT = 0xF2B632;

	public static function label(size:Int, color:Int, bold = false):TextField {
		var field = new TextField();
		field.defaultTextFormat = new TextFormat("_sans", size, color, bold);
		field.autoSize = TextFieldAutoSize.LEFT;
		field.selectable = false;
		field.mouseEnabled = false;
		return field;
	}
}
