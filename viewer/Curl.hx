// The geometry of a page turning like paper. The turning leaf lies over [0, width] x [0, height]
// with its spine at x = 0; one of its two outer corners (top or bottom) is lifted and follows a
// point. The fold is the line halfway between the corner and that point: the part of the leaf
// beyond it is folded over, mirrored in the fold, and shows the leaf's back, which is the page
// that lies at [-width, 0] once the turn is done. The view maps these coordinates onto the
// spread (mirrored for a leaf left of the spine).

typedef Point2 = {x:Float, y:Float};

// A plane affine map in the emulator's matrix layout: x' = a x + c y + tx, y' = b x + d y + ty.
class Affine {
	public var a:Float;
	public var b:Float;
	public var c:Float;
	public var d:Float;
	public var tx:Float;
	public var ty:Float;

	public function new(a = 1.0, b = 0.0, c = 0.0, d = 1.0, tx = 0.0, ty = 0.0) {
		this.a = a;
		this.b = b;
		this.c = c;
		this.d = d;
		this.tx = tx;
		this.ty = ty;
	}

	public function apply(p:Point2):Point2 {
		return {x: a * p.x + c * p.y + tx, y: b * p.x + d * p.y + ty};
	}

	// This map after `first`: x -> this(first(x)).
	public function after(first:Affine):Affine {
		return new Affine(a * first.a + c * first.b, b * first.a + d * first.b, a * first.c + c * first.d,
			b * first.c + d * first.d, a * first.tx + c * first.ty + tx, b * first.tx + d * first.ty + ty);
	}
}

class CurlState {
	// Nothing lifted: the leaf lies flat.
	public var flat:Bool;
	// The part of the leaf still lying flat, the part lifted off (where the page beneath shows),
	// and that part folded over (where the leaf's back shows); polygons in leaf coordinates.
	public var stays:Array<Point2>;
	public var lifted:Array<Point2>;
	public var flap:Array<Point2>;
	// Maps the back page, laid out where it ends ([-width, 0]), onto the flap.
	public var back:Affine;
	// A point of the fold and its unit normal, pointing to the lifted side.
	public var fold:Point2;
	public var normal:Point2;
	// Half the distance from the corner to the point that holds it: how deep the fold is.
	public var depth:Float;
	// 0 with the corner in place, 1 with the leaf turned over.
	public var progress:Float;

	public function new() {}
}

class Curl {
	public var width(default, null):Float;
	public var height(default, null):Float;
	public var top(default, null):Bool;

	public function new(width:Float, height:Float, top:Bool) {
		this.width = Math.max(1, width);
		this.height = Math.max(1, height);
		this.top = top;
	}

	// The lifted corner where it lies flat, and where it ends once the leaf has turned.
	public function corner():Point2 {
		return {x: width, y: top ? 0 : height};
	}

	public function end():Point2 {
		return {x: -width, y: top ? 0 : height};
	}

	// The point the corner can reach: paper does not stretch, so the corner stays within the
	// leaf's width of the spine's end beside it and within the diagonal of the other end.
	public function constrain(p:Point2):Point2 {
		var near = {x: 0.0, y: top ? 0.0 : height};
		var far = {x: 0.0, y: top ? height : 0.0};
		var held = within(p, near, width);
		return within(held, far, Math.sqrt(width * width + height * height));
	}

	static function within(p:Point2, centre:Point2, radius:Float):Point2 {
		var dx = p.x - centre.x;
		var dy = p.y - centre.y;
		var distance = Math.sqrt(dx * dx + dy * dy);
		if (distance <= radius) return p;
		return {x: centre.x + dx * radius / distance, y: centre.y + dy * radius / distance};
	}

	// The corner's path for a turn not led by the pointer, at `t` from 0 to 1: across the
	// spine, lifted a little towards the middle of the page on the way.
	public function path(t:Float):Point2 {
		var s = Math.max(0, Math.min(1, t));
		var lift = Math.sin(Math.PI * s) * height * 0.12;
		return constrain({x: width - 2 * width * s, y: top ? lift : height - lift});
	}

	public function state(pointer:Point2):CurlState {
		var p = constrain(pointer);
		var c = corner();
		var state = new CurlState();
		var dx = c.x - p.x;
		var dy = c.y - p.y;
		var length = Math.sqrt(dx * dx + dy * dy);
		var leaf = [{x: 0.0, y: 0.0}, {x: width, y: 0.0}, {x: width, y: height}, {x: 0.0, y: height}];
		state.progress = Math.max(0, Math.min(1, (width - p.x) / (2 * width)));
		state.flat = length < 1e-6;
		if (state.flat) {
			state.stays = leaf;
			state.lifted = [];
			state.flap = [];
			state.back = new Affine();
			state.fold = c;
			state.normal = {x: 1, y: 0};
			state.depth = 0;
			return state;
		}
		var n = {x: dx / length, y: dy / length};
		var m = {x: (c.x + p.x) / 2, y: (c.y + p.y) / 2};
		state.fold = m;
		state.normal = n;
		state.depth = length / 2;
		state.stays = clip(leaf, m, n, -1);
		state.lifted = clip(leaf, m, n, 1);
		var mirror = reflection(m, n);
		state.flap = [for (q in state.lifted) mirror.apply(q)];
		// The back page's point (x, y) is the leaf's point (-x, y): mirror it onto the leaf, then
		// fold it over with the leaf.
		state.back = mirror.after(new Affine(-1, 0, 0, 1, 0, 0));
		return state;
	}

	// The mirror image in the line through `m` with unit normal `n`.
	public static function reflection(m:Point2, n:Point2):Affine {
		var k = 2 * (m.x * n.x + m.y * n.y);
		return new Affine(1 - 2 * n.x * n.x, -2 * n.x * n.y, -2 * n.x * n.y, 1 - 2 * n.y * n.y, k * n.x, k * n.y);
	}

	// The part of a convex polygon on one side of the line through `m` with normal `n`: where
	// (x - m) . n has the sign of `side`, the line itself included.
	public static function clip(polygon:Array<Point2>, m:Point2, n:Point2, side:Int):Array<Point2> {
		var kept = [];
		var count = polygon.length;
		for (i in 0...count) {
			var a = polygon[i];
			var b = polygon[(i + 1) % count];
			var da = side * ((a.x - m.x) * n.x + (a.y - m.y) * n.y);
			var db = side * ((b.x - m.x) * n.x + (b.y - m.y) * n.y);
			if (da >= 0) kept.push(a);
			if ((da > 0 && db < 0) || (da < 0 && db > 0)) {
				var t = da / (da - db);
				kept.push({x: a.x + (b.x - a.x) * t, y: a.y + (b.y - a.y) * t});
			}
		}
		return kept;
	}

	public static function area(polygon:Array<Point2>):Float {
		var sum = 0.0;
		for (i in 0...polygon.length) {
			var a = polygon[i];
			var b = polygon[(i + 1) % polygon.length];
			sum += a.x * b.y - b.x * a.y;
		}
		return Math.abs(sum) / 2;
	}
}
