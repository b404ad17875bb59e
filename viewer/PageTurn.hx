import Curl;
import flash.display.DisplayObject;
import flash.display.GradientType;
import flash.display.Graphics;
import flash.display.Shape;
import flash.display.Sprite;
import flash.geom.Matrix;

// A page turning in the spread, drawn from the curl geometry: the page beneath where the leaf
// has lifted off, the leaf where it still lies, its back on the folded flap, and the shadows
// along the fold. Coordinates are the spread's page units; the leaf's spine is at `spineX`, and
// a leaf left of it (`mirrored`) turns the other way.
class PageTurn extends Sprite {
	public var curl(default, null):Curl;

	var spineX:Float;
	var sign:Float;
	var frontMask = new Shape();
	var flapMask = new Shape();
	var shadow = new Shape();
	var shading = new Shape();
	var back = new Sprite();

	// `beneath`: what lies under the turning leaf (the page it uncovers, the page that stays);
	// `front`: the leaf; `backPage`: the page on the leaf's back, placed where it ends.
	public function new(curl:Curl, spineX:Float, mirrored:Bool, beneath:Array<DisplayObject>, front:DisplayObject,
			backPage:DisplayObject) {
		super();
		this.curl = curl;
		this.spineX = spineX;
		this.sign = mirrored ? -1 : 1;
		for (item in beneath) addChild(item);
		addChild(front);
		addChild(frontMask);
		front.mask = frontMask;
		addChild(shadow);
		back.addChild(backPage);
		addChild(back);
		addChild(flapMask);
		back.mask = flapMask;
		addChild(shading);
	}

	// A blank sheet for the back of a leaf that has no page there, placed where it ends.
	public static function blankBack(curl:Curl, spineX:Float, mirrored:Bool):Shape {
		var sheet = new Shape();
		sheet.graphics.beginFill(Style.PAGE);
		sheet.graphics.drawRect(mirrored ? spineX : spineX - curl.width, 0, curl.width, curl.height);
		sheet.graphics.endFill();
		return sheet;
	}

	// Shows the leaf with its corner held at `pointer` (leaf coordinates).
	public function update(pointer:Point2) {
		var state = curl.state(pointer);
		fill(frontMask.graphics, state.stays);
		fill(flapMask.graphics, state.flap);
		var toSpread = new Affine(sign, 0, 0, 1, spineX, 0);
		var toLeaf = new Affine(sign, 0, 0, 1, -spineX * sign, 0);
		var onFlap = toSpread.after(state.back).after(toLeaf);
		back.transform.matrix = new Matrix(onFlap.a, onFlap.b, onFlap.c, onFlap.d, onFlap.tx, onFlap.ty);
		// The shadows are deepest halfway through the turn and gone at either end.
		var strength = Math.sin(Math.PI * state.progress);
		var reach = Math.max(1, Math.min(state.depth, curl.width * 0.3));
		shadow.graphics.clear();
		shading.graphics.clear();
		if (state.flat) return;
		var fold = spread(state.fold);
		var normal = {x: state.normal.x * sign, y: state.normal.y};
		// On the page beneath, falling from the fold into the uncovered part.
		shade(shadow.graphics, state.lifted, fold, normal, reach, 0.5 * strength);
		// On the flap, the paper darker near the fold.
		shade(shading.graphics, state.flap, fold, {x: -normal.x, y: -normal.y}, reach * 0.6, 0.3 * strength);
	}

	// A point of the spread in the leaf's coordinates.
	public function leafPoint(p:flash.geom.Point):Point2 {
		return {x: (p.x - spineX) * sign, y: p.y};
	}

	function spread(p:Point2):Point2 {
		return {x: spineX + sign * p.x, y: p.y};
	}

	function fill(g:Graphics, polygon:Array<Point2>) {
		g.clear();
		if (polygon.length < 3) return;
		g.beginFill(0);
		outline(g, polygon);
		g.endFill();
	}

	// A black shade over `polygon`, `alpha` at the fold, fading out over `reach` along `towards`.
	function shade(g:Graphics, polygon:Array<Point2>, from:Point2, towards:Point2, reach:Float, alpha:Float) {
		if (polygon.length < 3 || alpha <= 0.01) return;
		// The gradient square of the emulator is 1638.4 units wide, centred on the origin.
		var k = reach / 1638.4;
		var matrix = new Matrix(towards.x * k, towards.y * k, -towards.y * k, towards.x * k, from.x + towards.x * reach / 2,
			from.y + towards.y * reach / 2);
		g.beginGradientFill(GradientType.LINEAR, [0, 0], [alpha, 0], [0, 255], matrix);
		outline(g, polygon);
		g.endFill();
	}

	function outline(g:Graphics, polygon:Array<Point2>) {
		var first = spread(polygon[0]);
		g.moveTo(first.x, first.y);
		for (i in 1...polygon.length) {
			var p = spread(polygon[i]);
			g.lineTo(p.x, p.y);
		}
		g.lineTo(first.x, first.y);
	}
}
