// How the toolbar fits its width: the page buttons and the tools on one row with captions, on
// one row with icons, or the tools with icons on a second row below the page buttons.
class ToolbarFit {
	public static inline var ROW = 44;
	static inline var MARGINS = 40;

	public var icons(default, null):Bool;
	public var rows(default, null):Int;

	public function new(icons:Bool, rows:Int) {
		this.icons = icons;
		this.rows = rows;
	}

	public static function choose(width:Float, pageButtons:Float, toolCaptions:Float, toolIcons:Float):ToolbarFit {
		if (pageButtons + toolCaptions + MARGINS <= width) return new ToolbarFit(false, 1);
		if (pageButtons + toolIcons + MARGINS <= width) return new ToolbarFit(true, 1);
		return new ToolbarFit(true, 2);
	}
}
