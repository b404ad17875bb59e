enum Action {
	Next;
	Previous;
	First;
	Last;
	ZoomIn;
	ZoomOut;
	Ignore;
}

// The reader's keys. `+` and `-` are recognised by the character they type and by the main and
// keypad key codes, as keyboards differ in where they put them.
class Keys {
	public static function actionFor(keyCode:Int, charCode:Int):Action {
		switch (keyCode) {
			case 39 | 40 | 34: return Next; // right, down, page down
			case 37 | 38 | 33: return Previous; // left, up, page up
			case 36: return First; // home
			case 35: return Last; // end
			case 107 | 187: return ZoomIn; // keypad +, =/+
			case 109 | 189: return ZoomOut; // keypad -, -/_
		}
		switch (charCode) {
			case 43 | 61: return ZoomIn; // + =
			case 45: return ZoomOut; // -
		}
		return Ignore;
	}
}
