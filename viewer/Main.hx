// Entry point of the viewer movie.
class Main {
	static function main() {
		// Trace output goes to the emulator's log, not over the pages.
		haxe.Log.trace = function(v, ?infos) flash.Lib.trace(Std.string(v));
		flash.Lib.current.addChild(new Viewer());
	}
}
