// Zoom steps of the page view and the limits of panning a zoomed spread.
class Zoom {
	public static var STEPS:Array<Float> = [1.0, 1.5, 2.0, 3.0, 4.0];

	public var step(default, null):Int = 0;

	public function new() {}

	public function scale():Float {
		return STEPS[step];
	}

	public function zoomed():Bool {
		return step > 0;
	}

	// Each returns whether the scale changed.
	public function zoomIn():Bool {
		return setStep(step + 1);
	}

	public function zoomOut():Bool {
		return setStep(step - 1);
	}

	public function reset():Bool {
		return setStep(0);
	}

	function setStep(value:Int):Bool {
		var clamped = value < 0 ? 0 : (value >= STEPS.length ? STEPS.length - 1 : value);
		if (clamped == step) return false;
		step = clamped;
		return true;
	}

	// The pan offset (from the centred position) kept within what shows no empty margin beyond
	// the content: content no larger than the view stays centred.
	public static function clampPan(offset:Float, contentSize:Float, viewSize:Float):Float {
		var limit = (contentSize - viewSize) / 2;
		if (limit <= 0) return 0;
		return Math.max(-limit, Math.min(limit, offset));
	}
}
