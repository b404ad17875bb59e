enum Action {
	Next;
	Previous;
	First;
	Last;
	ZoomIn;
	ZoomOut;
	Find;
	ToggleMotion;
	Ignore;
}

// The reader's keys. `+` and `-` are recognised by the character they type and by the main and
// keypad key codes, as keyboards differ in where they put them. In a right-to-left book the left
// and right arrows swap, so that the arrow always points the way the page turns.
class Keys {
	public static function actionFor(keyCode:Int, charCode:Int, ctrl = false, ltr = true):Action {
		if (ctrl) return keyCode == 70 ? Find : Ignore; // Ctrl+F
		switch (keyCode) {
			case 39: return ltr ? Next : Previous; // right
			case 37: return ltr ? Previous : Next; // left
			case 40 | 34: return Next; // down, page down
			case 38 | 33: return Previous; // up, page up
			case 36: return First; // home
			case 35: return Last; // end
			case 107 | 187: return ZoomIn; // keypad +, =/+
			case 109 | 189: return ZoomOut; // keypad -, -/_
			case 114: return Find; // F3
			case 77: return ToggleMotion; // M
		}
		switch (charCode) {
			case 43 | 61: return ZoomIn; // + =
			case 45: return ZoomOut; // -
		}
		return Ignore;
	}
}
